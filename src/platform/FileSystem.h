// FileSystem.h - Windows file-system calls as the core makes them, on Windows paths.
//
// Every path here is a Windows path in Windows-1252 ("C:\VEXO\DALVO\Programa\DALVO.EXE").
// A Linux implementation maps it through a Wine-style prefix (see Paths.h); a Win32 build
// passes it straight on. Functions that answer a Boolean set LastError() on failure.
#pragma once

#include "platform/Stream.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vexo::platform {

/// Open modes of the class library's file streams (values are its fmXxx codes).
enum class OpenMode : std::uint16_t {
    Read = 0x0000,               // read access, compatibility sharing
    ReadDenyWrite = 0x0020,      // read access, other writers refused
    ReadShareAll = 0x0040,       // read access, everything shared
    ReadWrite = 0x0002,          // read/write, file kept as it is
    ReadWriteDenyWrite = 0x0022, // read/write, other writers refused, file kept as it is
    Create = 0xFFFF,             // create or truncate, read/write
    CreateNew = 0xFFFE,          // create a name that does not exist yet, read/write
};

/// What OpenFile does when the name itself is a link (a symbolic link; on Windows a junction or
/// another reparse point): open what it points to, or refuse the open.
enum class FinalLink { Follow, Refuse };

/// Other values combine an access code (0 read, 1 write, 2 read/write) with a share code
/// (0x00 compatibility, 0x10 exclusive, 0x20 deny write, 0x30 deny read, 0x40 deny none) as
/// the class library does. Sharing is enforced among the streams of this process; a file held
/// open cannot be deleted or renamed meanwhile (as on Windows).
/// Opens a file. Raises PlatformError with the system's message on failure (a missing file,
/// a directory, write access to a read-only file, a sharing conflict).
/// Only regular files open: a pipe, a device or a socket is refused at once, never waited on.
/// CreateNew fails with kErrorFileExists for any existing name, a link included, and never
/// follows one; on a POSIX host its file carries an exclusive lock until closed (see
/// DeleteUnheldFile). Create refuses a name that is a link rather than write through it.
std::unique_ptr<Stream> OpenFile(std::string_view path, OpenMode mode,
                                 FinalLink link = FinalLink::Follow);

// Windows file attribute bits.
inline constexpr std::uint32_t kAttrReadOnly = 0x01;
inline constexpr std::uint32_t kAttrHidden = 0x02;
inline constexpr std::uint32_t kAttrSystem = 0x04;
inline constexpr std::uint32_t kAttrDirectory = 0x10;
inline constexpr std::uint32_t kAttrArchive = 0x20;
inline constexpr std::uint32_t kAttrNormal = 0x80;
inline constexpr std::uint32_t kInvalidAttributes = 0xFFFFFFFFu;

bool FileExists(std::string_view path);      // an existing non-directory
bool DirectoryExists(std::string_view path); // an existing directory

/// \returns the attributes, or kInvalidAttributes when the name does not exist.
std::uint32_t GetFileAttributes(std::string_view path);
/// Applies to the name itself: a link's target is never re-permissioned (on a POSIX host a
/// link carries no attributes, and the call changes nothing).
bool SetFileAttributes(std::string_view path, std::uint32_t attributes);

/// Last-write time as a packed DOS date-time (local time, two-second resolution);
/// -1 when it cannot be had (as FileAge).
std::int32_t GetFileAge(std::string_view path);
bool SetFileAge(std::string_view path, std::int32_t dosDateTime); // the name itself, no link

bool DeleteFile(std::string_view path);
/// Deletes a file that no process holds open (on a POSIX host: whose CreateNew lock is free);
/// false, leaving it, otherwise. A link is never followed.
bool DeleteUnheldFile(std::string_view path);
/// Whether the name itself is a link: a symbolic link, or on Windows a junction or another
/// reparse point. False for a missing name.
bool IsLink(std::string_view path);
bool RenameFile(std::string_view from, std::string_view to); // fails when `to` exists
bool CreateDirectory(std::string_view path);                 // parent must exist
bool RemoveDirectory(std::string_view path);
/// Renames `from` to `to`, replacing an existing file `to` in one step (as MoveFileEx with
/// MOVEFILE_REPLACE_EXISTING): a read-only, open or directory `to` is refused and left as it
/// is. Counts as a rename for fault injection.
bool RenameFileReplacing(std::string_view from, std::string_view to);

struct FindEntry {
    std::string name; // the name only, Windows-1252
    std::uint32_t attributes = 0;
    std::int64_t size = 0;
    std::int32_t age = -1; // packed DOS date-time
};
/// Directory search as FindFirstFile/FindNextFile: `pattern` is a path whose last component
/// may hold '*' and '?'. An empty result for a missing directory. Outside a drive root "." and
/// ".." are listed first, as Windows lists them; the rest is sorted by upper-cased name.
/// Callers filter by attributes themselves.
std::vector<FindEntry> FindFiles(std::string_view pattern);

/// Whether `name` matches a FindFirstFile mask: '*' any run, '?' one character, ASCII case
/// ignored, "*.*" everything, trailing '.' and '*' of the mask match the end of the name.
bool MatchesFileMask(std::string_view name, std::string_view mask);

/// The temporary directory with a trailing backslash, or empty when there is none.
std::string TempDirectory();
/// The current directory as a Windows path, without trailing backslash except at a root.
std::string CurrentDirectory();
bool SetCurrentDirectory(std::string_view path);
/// The running program's own file, as a Windows path.
std::string ModuleFileName();

/// While one is alive on a thread, path look-ups on that thread remember each drive's root and
/// the listings of the directories they walk, and this layer keeps that memory current with
/// its own changes. For one run over many files. Changes other programs make meanwhile are
/// seen: an answer that a name is missing (and FileExists/DirectoryExists' answers) is checked
/// on disk first, and a folder changed by others is listed again.
class LookupCacheScope {
  public:
    LookupCacheScope();
    ~LookupCacheScope();
    LookupCacheScope(const LookupCacheScope&) = delete;
    LookupCacheScope& operator=(const LookupCacheScope&) = delete;
};
/// Drops what the current thread's scope remembered (before a prompt lets the user change
/// things on disk).
void ForgetLookups();

enum class DriveType {
    Unknown = 0,
    NoRootDir = 1,
    Removable = 2,
    Fixed = 3,
    Remote = 4,
    CdRom = 5,
    RamDisk = 6
};
/// Drive type of a root such as "C:\" (the drive part of any path is used).
DriveType GetDriveType(std::string_view root);
/// Tests mark a drive removable (or any other type) here; VEXO_REMOVABLE_DRIVES="AB" does the
/// same for a whole process. Without a mark a mapped drive is fixed.
void SetDriveTypeOverride(char letter, DriveType type);
void ClearDriveTypeOverrides();
/// A drive is ready when its link resolves to an existing directory.
bool DriveReady(char letter);
/// Total size of drive `number` (0 = current, 1 = A, ...); -1 when the drive is missing or not
/// ready. Never shows a critical-error box.
std::int64_t DiskSize(int number);

} // namespace vexo::platform
