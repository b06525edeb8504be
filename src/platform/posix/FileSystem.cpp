// FileSystem.cpp - attributes, times, names and drives of Windows paths on the host.
#include "platform/FileSystem.h"

#include "platform/DosDateTime.h"
#include "platform/DriveTypes.h"
#include "platform/Encoding.h"
#include "platform/Error.h"
#include "platform/FaultInjection.h"
#include "platform/FindOrder.h"
#include "platform/Paths.h"
#include "platform/System.h"
#include "platform/posix/HostPaths.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace vexo::platform {
namespace {

constexpr const char* kDosAttribName = "user.DOSATTRIB";
// Bits the mode carries; everything else lives in the extended attribute.
constexpr std::uint32_t kModeBits = kAttrReadOnly | kAttrDirectory;

std::optional<std::string> Resolve(std::string_view path, detail::ResolveInfo* info = nullptr) {
    int error = 0;
    auto host = detail::ResolveHost(path, error, false, info);
    if (!host) SetLastError(error);
    return host;
}

using Known = detail::ResolveInfo::Known;

// A name the look-up memory knows to be missing fails as the host would have failed it.
bool KnownMissing(const detail::ResolveInfo& info) {
    if (info.known == Known::Missing) SetLastError(kErrorFileNotFound);
    if (info.known == Known::ParentMissing) SetLastError(kErrorPathNotFound);
    return info.known == Known::Missing || info.known == Known::ParentMissing;
}

bool FailWith(int code) {
    SetLastError(code);
    return false;
}

bool FailErrno(const std::string& host) {
    int err = errno;
    return FailWith(err == ENOENT ? detail::NotFoundCode(host)
                                  : detail::WindowsErrorFromErrno(err));
}

// The stored DOS attributes, when the extended attribute holds Wine's "0x%x" text.
std::optional<std::uint32_t> ReadDosAttrib(const std::string& host) {
    char buf[32];
    ssize_t n = ::getxattr(host.c_str(), kDosAttribName, buf, sizeof buf - 1);
    if (n < 0) return std::nullopt;
    buf[n] = '\0';
    if (n < 2 || buf[0] != '0' || (buf[1] != 'x' && buf[1] != 'X'))
        return 0u; // another writer's form counts as no bits, as Wine reads it
    return static_cast<std::uint32_t>(std::strtoul(buf + 2, nullptr, 16));
}

void WriteDosAttrib(const std::string& host, std::uint32_t value) {
    char buf[16];
    int n = std::snprintf(buf, sizeof buf, "0x%x", value);
    // File systems without user attributes keep only what the mode bits carry.
    (void)::setxattr(host.c_str(), kDosAttribName, buf, static_cast<std::size_t>(n), 0);
}

std::uint32_t AttributesOf(const std::string& host, const struct stat& st) {
    const bool dir = S_ISDIR(st.st_mode);
    std::uint32_t attrs = dir ? kAttrDirectory : 0;
    if (detail::NoWriteBits(st.st_mode)) attrs |= kAttrReadOnly;
    if (auto stored = ReadDosAttrib(host))
        attrs |= *stored & ~(kModeBits | kAttrNormal);
    else if (!dir)
        attrs |= kAttrArchive; // Wine reports every plain file as archived
    return attrs == 0 ? kAttrNormal : attrs;
}

unsigned ProcessUmask() {
    static const unsigned mask = [] {
        std::ifstream status("/proc/self/status");
        std::string line;
        while (std::getline(status, line))
            if (line.rfind("Umask:", 0) == 0)
                return static_cast<unsigned>(std::strtoul(line.c_str() + 6, nullptr, 8));
        return 022u;
    }();
    return mask;
}

std::int32_t AgeOf(const struct stat& st) {
    std::tm tm{};
    if (!::localtime_r(&st.st_mtim.tv_sec, &tm)) return -1;
    return PackDosDateTime(
        {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec});
}

bool IsDriveRoot(const detail::ParsedPath& parsed) {
    return parsed.components.empty();
}

} // namespace

namespace detail {
int NotFoundCode(const std::string& host) {
    std::string parent = host;
    while (parent.size() > 1 && parent.back() == '/')
        parent.pop_back();
    auto slash = parent.rfind('/');
    parent = slash == 0 ? "/" : slash == std::string::npos ? "." : parent.substr(0, slash);
    struct stat st {};
    return ::stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? kErrorFileNotFound
                                                                   : kErrorPathNotFound;
}
bool NoWriteBits(unsigned mode) {
    return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}
} // namespace detail

bool FileExists(std::string_view path) {
    detail::ResolveInfo info;
    auto host = Resolve(path, &info);
    struct stat st {};
    if (!host || KnownMissing(info)) return false;
    if (info.known == Known::File) return true;
    if (info.known == Known::Directory) return FailWith(kErrorFileNotFound);
    if (::stat(host->c_str(), &st) != 0) return FailErrno(*host);
    return S_ISDIR(st.st_mode) ? FailWith(kErrorFileNotFound) : true;
}

bool DirectoryExists(std::string_view path) {
    detail::ResolveInfo info;
    auto host = Resolve(path, &info);
    struct stat st {};
    if (!host || KnownMissing(info)) return false;
    if (info.known == Known::Directory) return true;
    if (info.known == Known::File) return FailWith(kErrorPathNotFound);
    if (::stat(host->c_str(), &st) != 0) return FailErrno(*host);
    return S_ISDIR(st.st_mode) ? true : FailWith(kErrorPathNotFound);
}

std::uint32_t GetFileAttributes(std::string_view path) {
    detail::ResolveInfo info;
    auto host = Resolve(path, &info);
    struct stat st {};
    if (!host || KnownMissing(info)) return kInvalidAttributes;
    if (::stat(host->c_str(), &st) != 0) {
        FailErrno(*host);
        return kInvalidAttributes;
    }
    return AttributesOf(*host, st);
}

bool SetFileAttributes(std::string_view path, std::uint32_t attributes) {
    auto host = Resolve(path);
    struct stat st {};
    if (!host) return false;
    if (::lstat(host->c_str(), &st) != 0) return FailErrno(*host);
    // The name itself: a link has no attributes to keep, and its target is not ours.
    if (S_ISLNK(st.st_mode)) return true;
    const std::uint32_t stored = attributes & ~(kModeBits | kAttrNormal);
    const bool dir = S_ISDIR(st.st_mode);
    mode_t mode = st.st_mode & 07777;
    mode_t wanted = mode;
    // Read-only on a directory is ignored (as Wine does): its files must stay deletable.
    if (!dir && (attributes & kAttrReadOnly))
        wanted = mode & ~static_cast<mode_t>(0222);
    else if (!dir && detail::NoWriteBits(mode))
        wanted = mode | ((S_IWUSR | ((mode & 044) >> 1)) & ~static_cast<mode_t>(ProcessUmask()));
    // The attribute needs write permission for ordinary users: write it while the file is
    // still writable.
    const bool makingReadOnly = detail::NoWriteBits(wanted) && !detail::NoWriteBits(mode);
    // A plain file without the attribute reads as archived already (Wine never stores that
    // bit): the usual case of a freshly written file needs no metadata write.
    const bool alreadySo = !dir && stored == kAttrArchive && !ReadDosAttrib(*host);
    if (makingReadOnly && !alreadySo) WriteDosAttrib(*host, stored);
    if (wanted != mode && ::chmod(host->c_str(), wanted) != 0) return FailErrno(*host);
    if (!makingReadOnly && !alreadySo) WriteDosAttrib(*host, stored);
    return true;
}

std::int32_t GetFileAge(std::string_view path) {
    detail::ResolveInfo info;
    auto host = Resolve(path, &info);
    struct stat st {};
    if (!host || KnownMissing(info)) return -1;
    if (::stat(host->c_str(), &st) != 0) {
        FailErrno(*host);
        return -1;
    }
    return AgeOf(st);
}

bool SetFileAge(std::string_view path, std::int32_t dosDateTime) {
    auto host = Resolve(path);
    if (!host) return false;
    const auto local = UnpackDosDateTime(dosDateTime);
    if (!local) return FailWith(kErrorInvalidParameter);
    std::tm tm{};
    tm.tm_year = local->year - 1900;
    tm.tm_mon = local->month - 1;
    tm.tm_mday = local->day;
    tm.tm_hour = local->hour;
    tm.tm_min = local->minute;
    tm.tm_sec = local->second;
    tm.tm_isdst = -1;
    std::tm check = tm;
    std::time_t t = std::mktime(&check);
    // mktime normalises 31 February silently; such a date is no date.
    if (t == static_cast<std::time_t>(-1) || check.tm_mday != tm.tm_mday ||
        check.tm_mon != tm.tm_mon)
        return FailWith(kErrorInvalidParameter);
    timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = t;
    times[1].tv_nsec = 0;
    if (::utimensat(AT_FDCWD, host->c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
        return FailErrno(*host);
    return true;
}

bool DeleteFile(std::string_view path) {
    auto host = Resolve(path);
    if (!host) return false;
    struct stat st {};
    if (::lstat(host->c_str(), &st) != 0) return FailErrno(*host);
    if (S_ISDIR(st.st_mode)) return FailWith(kErrorAccessDenied);
    struct stat target {};
    if (::stat(host->c_str(), &target) == 0) {
        if (S_ISDIR(target.st_mode) || detail::NoWriteBits(target.st_mode))
            return FailWith(kErrorAccessDenied);
        if (detail::OpenInProcess(*host)) return FailWith(kErrorSharingViolation);
    }
    if (::unlink(host->c_str()) != 0) return FailErrno(*host);
    detail::NoteRemoved(*host);
    return true;
}

bool DeleteUnheldFile(std::string_view path) {
    auto host = Resolve(path);
    if (!host) return false;
    const int fd = ::open(host->c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return FailErrno(*host);
    struct stat st {};
    // Its writer's lock is still held: another process is at work on it.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::flock(fd, LOCK_EX | LOCK_NB) != 0 ||
        detail::OpenInProcess(*host)) {
        ::close(fd);
        return FailWith(kErrorSharingViolation);
    }
    const bool removed = ::unlink(host->c_str()) == 0;
    const int err = errno;
    ::close(fd);
    if (!removed) return FailWith(detail::WindowsErrorFromErrno(err));
    detail::NoteRemoved(*host);
    return true;
}

bool IsLink(std::string_view path) {
    auto host = Resolve(path);
    struct stat st {};
    return host && ::lstat(host->c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool RenameFile(std::string_view from, std::string_view to) {
    if (int fault = detail::CheckFault(FaultKind::Rename)) return FailWith(fault);
    auto source = Resolve(from);
    if (!source) return false;
    struct stat src {};
    if (::lstat(source->c_str(), &src) != 0) return FailErrno(*source);
    int error = 0;
    auto parsed = detail::ParseWindowsPath(to, error);
    if (!parsed) return FailWith(error);
    if (parsed->components.empty()) return FailWith(kErrorAccessDenied);
    auto target = detail::ResolveParsed(*parsed, error);
    if (!target) return FailWith(error);
    while (target->size() > 1 && target->back() == '/')
        target->pop_back();
    struct stat dst {};
    bool sameFile = false;
    if (::lstat(target->c_str(), &dst) == 0) {
        if (dst.st_dev != src.st_dev || dst.st_ino != src.st_ino)
            return FailWith(kErrorAlreadyExists);
        // The same file under another case: the rename changes the spelling.
        auto slash = target->rfind('/');
        *target = target->substr(0, slash) + "/" + Cp1252ToUtf8(parsed->components.back());
        if (*target == *source) return true;
        sameFile = ::lstat(target->c_str(), &dst) == 0 && dst.st_ino == src.st_ino &&
                   dst.st_dev == src.st_dev;
    }
    // A name taken after the look above fails the no-replace rename below.
    if (detail::OpenInProcess(*source)) return FailWith(kErrorSharingViolation);
    int rc = sameFile ? ::rename(source->c_str(), target->c_str())
                      : ::renameat2(AT_FDCWD, source->c_str(), AT_FDCWD, target->c_str(),
                                    RENAME_NOREPLACE);
    if (rc != 0 && !sameFile && (errno == EINVAL || errno == ENOSYS)) {
        // File systems without no-replace renames: a hard link never replaces either.
        if (!S_ISDIR(src.st_mode) && ::link(source->c_str(), target->c_str()) == 0) {
            ::unlink(source->c_str());
            detail::NoteRemoved(*source);
            detail::NoteCreated(*target, DT_REG);
            return true;
        }
        if (errno != EEXIST && ::lstat(target->c_str(), &dst) != 0)
            rc = ::rename(source->c_str(), target->c_str());
        else
            errno = EEXIST;
    }
    if (rc != 0) {
        if (errno == EEXIST) return FailWith(kErrorAlreadyExists);
        return FailWith(errno == ENOENT ? kErrorPathNotFound
                                        : detail::WindowsErrorFromErrno(errno));
    }
    detail::NoteRenamed(*source, *target, S_ISDIR(src.st_mode) ? DT_DIR : DT_UNKNOWN);
    return true;
}

bool RenameFileReplacing(std::string_view from, std::string_view to) {
    if (int fault = detail::CheckFault(FaultKind::Rename)) return FailWith(fault);
    auto source = Resolve(from);
    if (!source) return false;
    auto target = Resolve(to);
    if (!target) return false;
    struct stat src {};
    if (::lstat(source->c_str(), &src) != 0) return FailErrno(*source);
    if (S_ISDIR(src.st_mode)) return FailWith(kErrorAccessDenied);
    struct stat dst {};
    // A link in the target's place is replaced itself, whatever it points to.
    if (::lstat(target->c_str(), &dst) == 0 && !S_ISLNK(dst.st_mode)) {
        // An open target is refused as Windows refuses it: access denied.
        if (S_ISDIR(dst.st_mode) || detail::NoWriteBits(dst.st_mode) ||
            detail::OpenInProcess(*target))
            return FailWith(kErrorAccessDenied);
    }
    if (detail::OpenInProcess(*source)) return FailWith(kErrorSharingViolation);
    if (::rename(source->c_str(), target->c_str()) != 0)
        return FailWith(errno == ENOENT ? kErrorPathNotFound
                                        : detail::WindowsErrorFromErrno(errno));
    detail::NoteRenamed(*source, *target, S_ISREG(src.st_mode) ? DT_REG : DT_UNKNOWN);
    return true;
}

bool CreateDirectory(std::string_view path) {
    if (int fault = detail::CheckFault(FaultKind::CreateDirectory)) return FailWith(fault);
    auto host = Resolve(path);
    if (!host) return false;
    if (::mkdir(host->c_str(), 0777) != 0) {
        if (errno == EEXIST) return FailWith(kErrorAlreadyExists);
        return FailWith(errno == ENOENT ? kErrorPathNotFound
                                        : detail::WindowsErrorFromErrno(errno));
    }
    detail::NoteCreated(*host, DT_DIR);
    return true;
}

bool RemoveDirectory(std::string_view path) {
    auto host = Resolve(path);
    if (!host) return false;
    if (::rmdir(host->c_str()) != 0) {
        if (errno == ENOTDIR) return FailWith(kErrorDirectory);
        return FailErrno(*host);
    }
    detail::NoteRemoved(*host);
    return true;
}

std::vector<FindEntry> FindFiles(std::string_view pattern) {
    std::vector<FindEntry> found;
    int error = 0;
    auto parsed = detail::ParseWindowsPath(pattern, error, true);
    if (!parsed || parsed->components.empty() || parsed->trailingSeparator) {
        SetLastError(parsed ? kErrorFileNotFound : error);
        return found;
    }
    const std::string mask = parsed->components.back();
    parsed->components.pop_back();
    const bool root = IsDriveRoot(*parsed) && !parsed->unixForm;
    auto dirHost = detail::ResolveParsed(*parsed, error);
    if (!dirHost) {
        SetLastError(error);
        return found;
    }
    DIR* dir = ::opendir(dirHost->c_str());
    if (!dir) {
        SetLastError(errno == ENOENT || errno == ENOTDIR ? kErrorPathNotFound
                                                         : detail::WindowsErrorFromErrno(errno));
        return found;
    }
    const std::string base = *dirHost == "/" ? "" : *dirHost;
    while (const dirent* e = ::readdir(dir)) {
        std::string_view hostName = e->d_name;
        if (root && (hostName == "." || hostName == "..")) continue;
        std::string name = Utf8ToCp1252(hostName);
        if (!MatchesFileMask(name, mask)) continue;
        std::string full = base + "/" + std::string(hostName);
        struct stat st {};
        if (::stat(full.c_str(), &st) != 0)
            continue; // a dangling link is nothing Windows would list
        FindEntry entry;
        entry.name = std::move(name);
        entry.attributes = AttributesOf(full, st);
        entry.size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::int64_t>(st.st_size);
        entry.age = AgeOf(st);
        found.push_back(std::move(entry));
    }
    ::closedir(dir);
    SortFindEntries(found);
    SetLastError(found.empty() ? kErrorFileNotFound : kErrorSuccess);
    return found;
}

std::string TempDirectory() {
    std::string prefix = PrefixDirectory();
    std::string user = detail::HostUserName();
    const std::string candidates[] = {
        prefix + "/drive_c/users/" + user + "/AppData/Local/Temp",
        prefix + "/drive_c/windows/temp",
    };
    for (const std::string& dir : candidates) {
        std::error_code ec;
        struct stat st {};
        if (::stat(dir.c_str(), &st) != 0 && PreparedForWriting()) {
            std::string cmd = dir;
            // Created on demand, as Wine creates the user's folders.
            for (std::size_t i = prefix.size() + 1; i <= cmd.size(); ++i)
                if (i == cmd.size() || cmd[i] == '/') ::mkdir(cmd.substr(0, i).c_str(), 0777);
            ForgetLookups(); // made outside the resolver's sight
        }
        if (::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            std::string windows = WindowsPath(dir);
            if (windows.size() >= 2 && windows[1] == ':') return windows + "\\";
        }
    }
    const char* tmp = std::getenv("TMPDIR");
    std::string windows = WindowsPath(tmp && *tmp ? tmp : "/tmp");
    if (windows.size() >= 2 && windows[1] == ':')
        return windows.back() == '\\' ? windows : windows + "\\";
    return {};
}

std::string CurrentDirectory() {
    char buf[PATH_MAX];
    if (!::getcwd(buf, sizeof buf)) return {};
    return WindowsPath(buf);
}

bool SetCurrentDirectory(std::string_view path) {
    auto host = Resolve(path);
    if (!host) return false;
    if (::chdir(host->c_str()) != 0) {
        // Windows: file not found for a missing folder in an existing one.
        if (errno == ENOENT) return FailWith(detail::NotFoundCode(*host));
        return FailWith(errno == ENOTDIR ? kErrorPathNotFound
                                         : detail::WindowsErrorFromErrno(errno));
    }
    return true;
}

std::string ModuleFileName() {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    return WindowsPath(std::string(buf, static_cast<std::size_t>(n)));
}

DriveType GetDriveType(std::string_view root) {
    char letter = DriveLetterOf(root);
    if (letter == 0) return DriveType::NoRootDir;
    if (const auto type = DriveTypeOverride(letter)) return *type;
    return detail::DriveTarget(letter).empty() ? DriveType::NoRootDir : DriveType::Fixed;
}

bool DriveReady(char letter) {
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 32);
    if (letter < 'A' || letter > 'Z') return false;
    std::string target = detail::DriveTarget(letter);
    struct stat st {};
    return !target.empty() && ::stat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::int64_t DiskSize(int number) {
    char letter = number == 0                   ? DriveLetterOf("")
                  : number >= 1 && number <= 26 ? static_cast<char>('A' + number - 1)
                                                : 0;
    if (letter == 0 || !DriveReady(letter)) return -1;
    struct statvfs vfs {};
    if (::statvfs(detail::DriveTarget(letter).c_str(), &vfs) != 0) return -1;
    return static_cast<std::int64_t>(vfs.f_blocks) * static_cast<std::int64_t>(vfs.f_frsize);
}

} // namespace vexo::platform
