// Paths.cpp - the Wine-style prefix: drive links, Windows paths to host paths and back.
#include "platform/Paths.h"

#include "platform/Encoding.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/posix/HostPaths.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <mutex>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace vexo::platform {
namespace {

std::mutex g_prefixMutex;
std::string g_prefix;   // empty until first use
bool g_laidOut = false; // the layout was checked for (a writing process only)

std::string EnvOrEmpty(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string HomeDirectory() {
    std::string home = EnvOrEmpty("HOME");
    if (!home.empty()) return home;
    if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/";
}

void MakeDirectories(const std::string& dir) {
    std::error_code ec;
    fs::create_directories(dir, ec); // a failure shows later as a missing folder
}

// A fresh prefix gets Wine's layout; a directory that already has dosdevices is left alone.
void EnsureLayout(const std::string& prefix) {
    std::error_code ec;
    if (fs::exists(prefix + "/dosdevices", ec)) return;
    ForgetLookups(); // the layout is made past the resolver
    MakeDirectories(prefix + "/dosdevices");
    fs::create_directory_symlink("../drive_c", prefix + "/dosdevices/c:", ec);
    fs::create_directory_symlink("/", prefix + "/dosdevices/z:", ec);
    const std::string user = detail::HostUserName();
    const std::string c = prefix + "/drive_c";
    MakeDirectories(c + "/users/" + user + "/Desktop");
    MakeDirectories(c + "/users/" + user + "/AppData/Local/Temp");
    MakeDirectories(c + "/users/Public/Desktop");
    MakeDirectories(c + "/ProgramData/Microsoft/Windows/Start Menu/Programs");
    MakeDirectories(c + "/windows/temp");
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char UpperLetter(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

bool ValidComponentChar(char c, bool allowWildcards) {
    auto b = static_cast<unsigned char>(c);
    if (b < 0x20) return false;
    switch (c) {
    case '<':
    case '>':
    case ':':
    case '"':
    case '|':
        return false;
    case '*':
    case '?':
        return allowWildcards;
    default:
        return true;
    }
}

// Splits `rest` on separators into `out`, folding "." and ".." the way Windows does before
// any file-system access; trailing dots and spaces of the last name are dropped as Windows
// drops them (a name with a separator after it keeps them, and is then not found).
bool AppendComponents(std::string_view rest, std::vector<std::string>& out, bool allowWildcards,
                      int& error) {
    std::size_t i = 0;
    while (i <= rest.size()) {
        std::size_t j = i;
        while (j < rest.size() && !IsSeparator(rest[j]))
            ++j;
        std::string comp(rest.substr(i, j - i));
        const bool last = j >= rest.size();
        i = j + 1;
        if (comp.empty() || comp == ".") continue;
        if (comp == "..") {
            if (!out.empty()) out.pop_back();
            continue;
        }
        while (last && !comp.empty() && (comp.back() == '.' || comp.back() == ' '))
            comp.pop_back();
        if (comp.empty()) continue;
        for (char c : comp) {
            if (!ValidComponentChar(c, allowWildcards && last)) {
                error = kErrorInvalidName;
                return false;
            }
        }
        out.push_back(std::move(comp));
    }
    return true;
}

std::string CanonicalOrLexical(const std::string& host) {
    // The longest existing ancestor is made canonical; the rest is appended as given.
    fs::path p = fs::path(host).lexically_normal();
    fs::path existing = p;
    fs::path tail;
    std::error_code ec;
    while (!existing.empty() && !fs::exists(existing, ec)) {
        tail = existing.filename() / tail;
        if (existing == existing.parent_path()) break;
        existing = existing.parent_path();
    }
    fs::path canon = fs::canonical(existing, ec);
    if (ec) canon = existing;
    fs::path joined = tail.empty() ? canon : canon / tail;
    std::string s = joined.lexically_normal().string();
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return s;
}

} // namespace

std::string PrefixDirectory() {
    std::lock_guard lock(g_prefixMutex);
    if (g_prefix.empty()) {
        std::string dir = EnvOrEmpty("VEXO_PREFIX");
        if (dir.empty()) dir = EnvOrEmpty("WINEPREFIX");
        if (dir.empty()) dir = HomeDirectory() + "/.wine";
        std::error_code ec;
        fs::path abs = fs::absolute(dir, ec);
        dir = (ec ? fs::path(dir) : abs).lexically_normal().string();
        while (dir.size() > 1 && dir.back() == '/')
            dir.pop_back();
        g_prefix = dir;
    }
    // Only a process that writes lays out the prefix: a look must leave the home untouched.
    if (!g_laidOut && PreparedForWriting()) {
        EnsureLayout(g_prefix);
        g_laidOut = true;
    }
    return g_prefix;
}

void ResetPrefix() {
    std::lock_guard lock(g_prefixMutex);
    g_prefix.clear();
    g_laidOut = false;
    ForgetLookups(); // drive roots belong to the old prefix
}

std::optional<std::string> HostPath(std::string_view windowsPath) {
    int error = 0;
    auto host = detail::ResolveHost(windowsPath, error);
    if (!host) SetLastError(error);
    return host;
}

std::string WindowsPath(std::string_view hostPath) {
    std::string host(hostPath);
    if (host.empty() || host.front() != '/') {
        std::error_code ec;
        host = (fs::current_path(ec) / host).string();
    }
    host = CanonicalOrLexical(host);

    char best = 0;
    std::size_t bestLength = 0;
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        std::string target = detail::DriveTarget(letter);
        if (target.empty()) continue;
        std::error_code ec;
        std::string root = fs::canonical(target, ec).string();
        if (ec || root.empty()) continue;
        bool holds = root == "/" || host == root ||
                     (host.size() > root.size() && host.compare(0, root.size(), root) == 0 &&
                      host[root.size()] == '/');
        if (holds && (best == 0 || root.size() > bestLength)) {
            best = letter;
            bestLength = root.size();
        }
    }
    std::string rest;
    if (best != 0)
        rest =
            bestLength == 1 ? host.substr(1) : host.substr(std::min(host.size(), bestLength + 1));
    else
        rest = host.substr(1);
    std::replace(rest.begin(), rest.end(), '/', '\\');
    rest = Utf8ToCp1252(rest);
    if (best == 0) return "\\\\?\\unix\\" + rest;
    return std::string(1, UpperLetter(best)) + ":\\" + rest;
}

namespace detail {

std::string HostUserName() {
    std::string user = EnvOrEmpty("VEXO_USER");
    if (!user.empty()) return user;
    if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name && *pw->pw_name)
        return pw->pw_name;
    user = EnvOrEmpty("USER");
    return user.empty() ? std::string("user") : user;
}

std::string DriveTarget(char letter) {
    if (!IsAsciiLetter(letter)) return {};
    char lower = static_cast<char>(UpperLetter(letter) + 32);
    std::string dosdevices = PrefixDirectory() + "/dosdevices";
    std::string link = dosdevices + "/" + lower + ":";
    char buf[PATH_MAX];
    ssize_t n = readlink(link.c_str(), buf, sizeof buf - 1);
    if (n < 0) {
        struct stat st {};
        if (stat(link.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            return link; // a plain directory standing in for the link
        // A prefix not laid out yet maps the drives its layout would link.
        if (lstat(dosdevices.c_str(), &st) != 0) {
            if (lower == 'c') return PrefixDirectory() + "/drive_c";
            if (lower == 'z') return "/";
        }
        return {};
    }
    std::string target(buf, static_cast<std::size_t>(n));
    if (target.empty()) return {};
    if (target.front() != '/') target = dosdevices + "/" + target;
    return target;
}

namespace {

// "server\share\rest" of a UNC path. As on Windows, ".." stops at the share: the server and
// the share are the root, not components a path can climb out of.
std::optional<ParsedPath> ParseUncPath(std::string_view path, int& error, bool allowWildcards) {
    ParsedPath parsed;
    parsed.unc = true;
    parsed.trailingSeparator = !path.empty() && IsSeparator(path.back());
    std::size_t at = 0;
    for (int part = 0; part < 2; ++part) {
        std::size_t end = at;
        while (end < path.size() && !IsSeparator(path[end]))
            ++end;
        std::string_view name = path.substr(at, end - at);
        std::vector<std::string> one;
        if (!AppendComponents(name, one, false, error)) return std::nullopt;
        if (one.size() != 1) {
            error = kErrorPathNotFound; // no server, or no share
            return std::nullopt;
        }
        parsed.components.push_back(std::move(one.front()));
        at = std::min(end + 1, path.size());
    }
    std::vector<std::string> rest;
    if (!AppendComponents(path.substr(at), rest, allowWildcards, error)) return std::nullopt;
    parsed.components.insert(parsed.components.end(), rest.begin(), rest.end());
    return parsed;
}

} // namespace

std::optional<ParsedPath> ParseWindowsPath(std::string_view path, int& error, bool allowWildcards) {
    ParsedPath parsed;
    if (path.empty()) {
        error = kErrorPathNotFound;
        return std::nullopt;
    }
    if (path.find('\0') != std::string_view::npos) {
        error = kErrorInvalidName;
        return std::nullopt;
    }
    parsed.trailingSeparator = IsSeparator(path.back());

    std::string_view rest;
    if (path.size() >= 4 && IsSeparator(path[0]) && IsSeparator(path[1]) &&
        (path[2] == '?' || path[2] == '.') && IsSeparator(path[3])) {
        std::string_view inner = path.substr(4);
        if (inner.size() >= 4 && EqualsIgnoreCaseAscii(inner.substr(0, 4), "unix") &&
            (inner.size() == 4 || IsSeparator(inner[4]))) {
            parsed.unixForm = true;
            if (!AppendComponents(inner.substr(4), parsed.components, allowWildcards, error))
                return std::nullopt;
            return parsed;
        }
        if (inner.size() >= 2 && IsAsciiLetter(inner[0]) && inner[1] == ':')
            return ParseWindowsPath(inner, error, allowWildcards);
        if (inner.size() >= 4 && EqualsIgnoreCaseAscii(inner.substr(0, 3), "UNC") &&
            IsSeparator(inner[3]))
            return ParseUncPath(inner.substr(4), error, allowWildcards);
        error = kErrorPathNotFound; // devices and volume names have no mapping here
        return std::nullopt;
    }
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]))
        return ParseUncPath(path.substr(2), error, allowWildcards);

    std::string base;
    if (path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':') {
        parsed.drive = UpperLetter(path[0]);
        rest = path.substr(2);
        if (rest.empty() || !IsSeparator(rest.front())) {
            // "C:name" is relative to the current directory when that is on drive C.
            std::string cwd = CurrentDirectory();
            if (cwd.size() >= 2 && UpperLetter(cwd[0]) == parsed.drive && cwd[1] == ':')
                base = cwd.substr(2);
        }
    } else {
        std::string cwd = CurrentDirectory();
        if (cwd.size() < 2 || cwd[1] != ':') {
            error = kErrorPathNotFound;
            return std::nullopt;
        }
        parsed.drive = UpperLetter(cwd[0]);
        rest = path;
        if (!IsSeparator(path.front())) base = cwd.substr(2);
    }
    if (!AppendComponents(base, parsed.components, false, error) ||
        !AppendComponents(rest, parsed.components, allowWildcards, error))
        return std::nullopt;
    return parsed;
}

namespace {

// Canonical forms of drive targets, keyed by the link's text: a relinked drive has another
// text, so the cache never answers for a changed link.
std::mutex g_canonicalMutex;
std::vector<std::pair<std::string, std::string>> g_canonical;

std::string CanonicalDriveTarget(const std::string& target) {
    {
        std::lock_guard lock(g_canonicalMutex);
        for (const auto& [key, value] : g_canonical)
            if (key == target) return value;
    }
    std::error_code ec;
    fs::path canon = fs::canonical(target, ec);
    std::string host = ec ? fs::path(target).lexically_normal().string() : canon.string();
    while (host.size() > 1 && host.back() == '/')
        host.pop_back();
    if (host == "/") host.clear();
    if (!ec) {
        std::lock_guard lock(g_canonicalMutex);
        if (g_canonical.size() >= 64) g_canonical.clear();
        g_canonical.emplace_back(target, host);
    }
    return host;
}

// The walk over remembered listings: few system calls once a directory is listed (a miss, and
// the last name when the caller learns from it, are confirmed on disk). False when a directory
// on the way cannot be listed; the walk on the host then decides.
bool ResolveRemembered(const ParsedPath& parsed, LookupCache& cache, std::string& host,
                       ResolveInfo* info) {
    using Known = ResolveInfo::Known;
    Known known = Known::Nothing;
    std::string walked = host;
    bool searching = true;
    for (std::size_t index = 0; index < parsed.components.size(); ++index) {
        const std::string& comp = parsed.components[index];
        const bool last = index + 1 == parsed.components.size();
        if (!searching) {
            walked += "/" + Cp1252ToUtf8(comp);
            continue;
        }
        // An answer a caller decides on alone (exists or not) is checked on disk.
        using Check = LookupCache::Check;
        const LookupCache::Found found = cache.Find(walked, comp,
                                                    !info  ? Check::Stamp
                                                    : last ? Check::Everything
                                                           : Check::Misses);
        if (!found.listed) return false;
        if (found.name) {
            walked += "/" + found.name->host;
            if (last)
                known = found.name->type == DT_DIR   ? Known::Directory
                        : found.name->type == DT_REG ? Known::File
                                                     : Known::Nothing;
        } else {
            searching = false; // nothing below a missing name can exist
            walked += "/" + Cp1252ToUtf8(comp);
            known = last ? Known::Missing : Known::ParentMissing;
        }
    }
    host = std::move(walked);
    if (info) info->known = known;
    return true;
}

} // namespace

std::optional<std::string> ResolveParsed(const ParsedPath& parsed, int& error, ResolveInfo* info) {
    if (info) info->known = ResolveInfo::Known::Nothing;
    LookupCache* cache = parsed.unixForm ? nullptr : ActiveLookupCache();
    std::string host;
    if (parsed.unixForm) {
        host = "";
    } else if (parsed.unc) {
        // Wine's network root: the prefix's dosdevices/unc, in lower case like the drive
        // links; below it the server, the share and the rest are found without regard to
        // case. Without that directory there is no network at all.
        host = PrefixDirectory() + "/dosdevices/unc";
        struct stat st {};
        if (stat(host.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
            error = kErrorPathNotFound;
            return std::nullopt;
        }
    } else if (const std::string* root = cache ? cache->DriveRoot(parsed.drive) : nullptr) {
        host = *root;
    } else {
        host = DriveTarget(parsed.drive);
        if (host.empty()) {
            error = kErrorPathNotFound;
            return std::nullopt;
        }
        host = CanonicalDriveTarget(host);
        if (cache) cache->SetDriveRoot(parsed.drive, host);
    }
    if (cache && ResolveRemembered(parsed, *cache, host, info)) {
        if (host.empty())
            host = "/";
        else if (parsed.trailingSeparator && !parsed.components.empty())
            host += "/";
        return host;
    }
    // Most names are spelt as they are on disk: one lstat of the whole path (or of its parent,
    // for a name about to be created) spares the walk component by component.
    std::size_t first = 0;
    bool lastKnownMissing = false; // its exact spelling was just looked for
    if (!parsed.components.empty()) {
        std::string parent = host;
        for (std::size_t i = 0; i + 1 < parsed.components.size(); ++i)
            parent += "/" + Cp1252ToUtf8(parsed.components[i]);
        std::string whole = parent + "/" + Cp1252ToUtf8(parsed.components.back());
        struct stat st {};
        if (lstat(whole.c_str(), &st) == 0) {
            host = std::move(whole);
            first = parsed.components.size();
        } else if (parsed.components.size() > 1 && lstat(parent.c_str(), &st) == 0 &&
                   S_ISDIR(st.st_mode)) {
            host = std::move(parent);
            first = parsed.components.size() - 1;
            lastKnownMissing = true;
        }
    }
    bool searching = true;
    for (std::size_t index = first; index < parsed.components.size(); ++index) {
        const std::string& comp = parsed.components[index];
        std::string utf8 = Cp1252ToUtf8(comp);
        std::string exact = host + "/" + utf8;
        struct stat st {};
        bool skipExact = lastKnownMissing && index == first;
        if (!searching || (!skipExact && lstat(exact.c_str(), &st) == 0)) {
            host = std::move(exact);
            continue;
        }
        // No exact name: look for one that differs in case only.
        const std::string folded = FoldFileNameCase(comp);
        std::string found;
        if (DIR* dir = opendir(host.empty() ? "/" : host.c_str())) {
            while (const dirent* e = readdir(dir)) {
                std::string_view name = e->d_name;
                if (name == "." || name == "..") continue;
                if (FoldFileNameCase(Utf8ToCp1252(name)) == folded &&
                    (found.empty() || name < found))
                    found = name;
            }
            closedir(dir);
        }
        if (found.empty()) {
            searching = false; // nothing below a missing name can exist
            host = std::move(exact);
        } else {
            host += "/" + found;
        }
    }
    if (host.empty())
        host = "/";
    else if (parsed.trailingSeparator && !parsed.components.empty())
        host += "/";
    return host;
}

std::optional<std::string> ResolveHost(std::string_view path, int& error, bool allowWildcards,
                                       ResolveInfo* info) {
    auto parsed = ParseWindowsPath(path, error, allowWildcards);
    if (!parsed) return std::nullopt;
    return ResolveParsed(*parsed, error, info);
}

int WindowsErrorFromErrno(int err) {
    switch (err) {
    case 0:
        return kErrorSuccess;
    case ENOENT:
        return kErrorFileNotFound;
    case ENOTDIR:
        return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return kErrorAccessDenied;
    case EEXIST:
        return kErrorFileExists;
    case ENOTEMPTY:
        return kErrorDirNotEmpty;
    case ENOSPC:
    case EDQUOT:
        return kErrorDiskFull;
    case EXDEV:
        return kErrorNotSameDevice;
    case EBUSY:
    case ETXTBSY:
        return kErrorSharingViolation;
    case ENAMETOOLONG:
        return kErrorFilenameTooLong;
    case EINVAL:
        return kErrorInvalidParameter;
    case EIO:
        return kErrorWriteFault;
    default:
        return kErrorAccessDenied;
    }
}

} // namespace detail
} // namespace vexo::platform
