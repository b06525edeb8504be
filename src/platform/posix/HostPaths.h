// HostPaths.h - internal to the POSIX platform layer: Windows paths resolved on the host.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vexo::platform::detail {

/// A Windows path taken apart: drive letter (0 for none) and the components below the root.
struct ParsedPath {
    char drive = 0;
    std::vector<std::string> components; // Windows-1252, "." and ".." already folded
    bool trailingSeparator = false;
    bool unixForm = false; // "\\?\unix\..." names a host path directly
    /// "\\server\share\...": the components begin with the server and the share, found
    /// under the prefix's dosdevices/unc as Wine finds them.
    bool unc = false;
};

/// Parses an absolute or relative Windows path; relative forms resolve against the current
/// directory. nullopt with `error` set for invalid names and for a UNC path without a share.
/// `allowWildcards` admits '*' and '?' in the last component.
std::optional<ParsedPath> ParseWindowsPath(std::string_view path, int& error,
                                           bool allowWildcards = false);

/// The host directory a drive letter's link points to (not canonical); empty when unmapped.
std::string DriveTarget(char letter);

/// What a look-up learned on the way, when it could learn it without asking the host.
struct ResolveInfo {
    enum class Known { Nothing, Missing, ParentMissing, File, Directory };
    Known known = Known::Nothing;
};

/// Resolves a Windows path to a host path, matching existing components without regard to
/// ASCII case. nullopt with `error` set when the drive is missing or the name is invalid.
std::optional<std::string> ResolveHost(std::string_view path, int& error,
                                       bool allowWildcards = false, ResolveInfo* info = nullptr);
/// The same for an already parsed path.
std::optional<std::string> ResolveParsed(const ParsedPath& parsed, int& error,
                                         ResolveInfo* info = nullptr);

/// The look-up memory of a LookupCacheScope: each drive's canonical root and the listings of
/// the directories walked, kept current by this layer's own changes.
class LookupCache {
  public:
    struct Name {
        std::string host;   // as on disk, UTF-8
        unsigned char type; // DT_REG, DT_DIR, ... (DT_UNKNOWN when the host did not say)
    };
    struct Found {
        bool listed = false;        // the directory could be listed
        const Name* name = nullptr; // null when listed and no name matches
    };

    /// The canonical root of a drive, or nullptr when not yet known.
    const std::string* DriveRoot(char letter) const;
    void SetDriveRoot(char letter, std::string root);
    /// How much of a remembered answer is checked on disk.
    enum class Check {
        Stamp,      // a miss: the directory's stamp (the next system call meets the exact name)
        Misses,     // a miss: the stamp and the exact spelling (the caller decides on it)
        Everything, // a match too (the caller decides on it without another system call)
    };
    /// The name in host directory `dir` ("" for "/") that matches `component` (Windows-1252):
    /// the exact spelling first, else the smallest that differs in ASCII case only. A miss is
    /// never answered from memory alone; a directory found changed is listed again.
    Found Find(const std::string& dir, const std::string& component, Check check = Check::Stamp);
    /// Keeps the listings current after this layer created or removed `host`; `restamp`
    /// false leaves the directory's stamp to a change that follows at once, `directory` false
    /// says no listing can lie below `host`.
    void Created(const std::string& host, unsigned char type, bool restamp = true);
    void Removed(const std::string& host, bool restamp = true, bool directory = true);
    /// Both at once after a rename; `type` DT_DIR for a directory.
    void Renamed(const std::string& from, const std::string& to, unsigned char type);
    void Clear();

  private:
    /// What a directory's stat says about its contents: any change by anyone moves the
    /// modification or change time (nanoseconds), a replaced directory has another inode.
    struct Stamp {
        std::uint64_t device = 0, inode = 0;
        std::int64_t modified = 0, changed = 0; // nanoseconds
        bool operator==(const Stamp&) const = default;
    };
    struct Listing {
        // Names by their upper-cased Windows-1252 form; names differing in case share one.
        std::unordered_map<std::string, std::vector<Name>> names;
        Stamp stamp; // the directory as it was when listed or last changed by this layer
        // Listed within the tick of the file-system clock that last changed the directory: a
        // change in that same tick leaves the stamp as it is, so a miss lists again.
        bool racy = false;
        bool gone = false; // removed, renamed or stale: every path that reached it lists again
    };
    static std::optional<Stamp> StampOf(const std::string& dir);
    /// Whether the disk may hold something the listing does not: the directory's stamp moved,
    /// or (when `askName`) `name` (host spelling) is there against the listing's word.
    bool Stale(const std::string& dir, const Listing& listing, const std::string& name,
               bool listedAsPresent, bool askName) const;
    /// Keeps a listing's stamp in step with a change this layer made in `dir`.
    void Restamp(const std::string& dir, Listing& listing);
    std::optional<std::string> drives_[26];
    std::unordered_map<std::string, std::shared_ptr<Listing>> dirs_;
    // One listing per directory, however many paths reach it (linked folders).
    std::map<std::pair<std::uint64_t, std::uint64_t>, std::weak_ptr<Listing>> byIdentity_;
    Listing* ListingOf(const std::string& dir, bool load);
};

/// The current thread's look-up memory, or nullptr outside a LookupCacheScope.
LookupCache* ActiveLookupCache();
/// Reports this layer's own changes to the active memory, if any.
void NoteCreated(const std::string& host, unsigned char type);
void NoteRemoved(const std::string& host);
void NoteRenamed(const std::string& from, const std::string& to, unsigned char type);

/// Whether this process holds the host file open through OpenFile (Windows refuses to delete
/// or rename such a file).
bool OpenInProcess(const std::string& host);

/// The code for a name that does not exist: file not found when its directory exists, else
/// path not found.
int NotFoundCode(const std::string& host);

/// Whether the mode bits carry no write permission (the read-only attribute).
bool NoWriteBits(unsigned mode);

/// Maps errno to the nearest Windows error code.
int WindowsErrorFromErrno(int err);

/// The user's name as the host knows it (UTF-8), honouring VEXO_USER.
std::string HostUserName();

} // namespace vexo::platform::detail
