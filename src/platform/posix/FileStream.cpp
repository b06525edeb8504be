// FileStream.cpp - OpenFile: file streams with the class library's open and share modes; and
// OpenHostFile, the same streams over host paths.
//
// Share modes are enforced among the streams of this process, as Windows enforces them among
// handles: a file opened without sharing cannot be opened again, deleted or renamed meanwhile.
#include "platform/FaultInjection.h"
#include "platform/FileSystem.h"
#include "platform/HostFiles.h"
#include "platform/PositionedStream.h"
#include "platform/posix/HostPaths.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace vexo::platform {
namespace {

using detail::kAccessRead;
using detail::kAccessWrite;
using detail::kShareRead;
using detail::kShareWrite;

struct Handle {
    int id;
    unsigned access;
    unsigned share;
};

using FileKey = std::pair<unsigned long long, unsigned long long>; // device, inode

std::mutex g_shareMutex;
std::map<FileKey, std::vector<Handle>> g_open;
int g_nextId = 1;

bool Conflicts(const Handle& held, unsigned access, unsigned share) {
    return ((access & kAccessRead) && !(held.share & kShareRead)) ||
           ((access & kAccessWrite) && !(held.share & kShareWrite)) ||
           ((held.access & kAccessRead) && !(share & kShareRead)) ||
           ((held.access & kAccessWrite) && !(share & kShareWrite));
}

// Registers a handle; 0 when an open handle's sharing refuses it.
int Acquire(const FileKey& key, unsigned access, unsigned share) {
    std::lock_guard lock(g_shareMutex);
    auto& handles = g_open[key];
    for (const Handle& h : handles)
        if (Conflicts(h, access, share)) return 0;
    int id = g_nextId++;
    handles.push_back({id, access, share});
    return id;
}

void Release(const FileKey& key, int id) {
    std::lock_guard lock(g_shareMutex);
    auto it = g_open.find(key);
    if (it == g_open.end()) return;
    std::erase_if(it->second, [id](const Handle& h) { return h.id == id; });
    if (it->second.empty()) g_open.erase(it);
}

// A stream of OpenFile: held in the sharing table, and open to injected faults.
struct Registration {
    FileKey key;
    int id;
};

// Positioned reads and writes through pread/pwrite.
class FileStream final : public detail::PositionedStream {
  public:
    FileStream(int fd, std::optional<Registration> registration, unsigned access, bool buffered)
        : PositionedStream(access, registration.has_value(), buffered), fd_(fd),
          registration_(registration) {}
    ~FileStream() override {
        ::close(fd_);
        if (registration_) Release(registration_->key, registration_->id);
    }

  private:
    std::int64_t ReadAt(std::int64_t position, void* buffer, std::size_t count,
                        int& error) override {
        for (;;) {
            ssize_t n = ::pread(fd_, buffer, count, static_cast<off_t>(position));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) error = detail::WindowsErrorFromErrno(errno);
            return n;
        }
    }

    std::int64_t WriteAt(std::int64_t position, const void* buffer, std::size_t count,
                         int& error) override {
        for (;;) {
            ssize_t n = ::pwrite(fd_, buffer, count, static_cast<off_t>(position));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) error = detail::WindowsErrorFromErrno(errno);
            return n;
        }
    }

    std::int64_t FileSize(int& error) override {
        struct stat st {};
        if (::fstat(fd_, &st) == 0) return st.st_size;
        error = detail::WindowsErrorFromErrno(errno);
        return -1;
    }

    bool Resize(std::int64_t size, int& error) override {
        if (::ftruncate(fd_, static_cast<off_t>(size)) == 0) return true;
        error = detail::WindowsErrorFromErrno(errno);
        return false;
    }

    int fd_;
    std::optional<Registration> registration_;
};

// The system's message alone, as Windows words it: callers add the name where they show one.
[[noreturn]] void Fail(int code) {
    SetLastError(code);
    throw PlatformError(code, SystemErrorMessage(code));
}

} // namespace

namespace detail {
bool OpenInProcess(const std::string& host) {
    struct stat st {};
    if (::stat(host.c_str(), &st) != 0) return false;
    std::lock_guard lock(g_shareMutex);
    return g_open.count({st.st_dev, st.st_ino}) != 0;
}
} // namespace detail

std::unique_ptr<Stream> OpenFile(std::string_view path, OpenMode mode, FinalLink link) {
    const auto request = detail::ReadOpenMode(mode);
    if (!request) Fail(kErrorInvalidParameter);
    const bool create = request->create, exclusive = request->exclusive;
    const unsigned access = request->access, share = request->share;

    int error = 0;
    detail::ResolveInfo info;
    auto host = detail::ResolveHost(path, error, false, &info);
    if (!host) Fail(error);
    if (create) {
        if (int fault = detail::CheckFault(FaultKind::CreateFile)) Fail(fault);
    }

    using Known = detail::ResolveInfo::Known;
    if (info.known == Known::ParentMissing) Fail(kErrorPathNotFound);
    // A planted link is never written through: a created name and a refused link stay
    // themselves (O_NOFOLLOW below closes the gap between this look and the open).
    const bool noFollow = create || link == FinalLink::Refuse;
    struct stat st {};
    if (info.known != Known::Missing && ::lstat(host->c_str(), &st) == 0) {
        if (exclusive) Fail(kErrorFileExists);
        if (S_ISLNK(st.st_mode) && noFollow) Fail(kErrorAccessDenied);
    }
    bool exists = !exclusive && info.known != Known::Missing && ::stat(host->c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) Fail(kErrorAccessDenied);
    // A pipe, a device or a socket is no file: refused before an open that could wait on it.
    if (exists && !S_ISREG(st.st_mode)) Fail(kErrorAccessDenied);
    if (!exists && !create) Fail(detail::NotFoundCode(*host));
    // Root ignores permission bits; Windows does not let anyone write a read-only file.
    if (exists && (access & kAccessWrite) && detail::NoWriteBits(st.st_mode))
        Fail(kErrorAccessDenied);
    // Nor create one anew over a hidden or system file (its attributes would be lost).
    if (exists && create && (GetFileAttributes(path) & (kAttrHidden | kAttrSystem)) != 0)
        Fail(kErrorAccessDenied);

    int flags = O_CLOEXEC | O_NONBLOCK |
                (access == kAccessRead    ? O_RDONLY
                 : access == kAccessWrite ? O_WRONLY
                                          : O_RDWR);
    if (create) flags |= O_CREAT; // truncation waits until the sharing check has passed
    if (exclusive) flags |= O_EXCL;
    if (noFollow) flags |= O_NOFOLLOW;
    int fd = ::open(host->c_str(), flags, 0666);
    if (fd < 0) {
        int code =
            errno == ENOENT ? detail::NotFoundCode(*host) : detail::WindowsErrorFromErrno(errno);
        if (errno == ENOENT && create) code = kErrorPathNotFound;
        Fail(code);
    }
    // Swapped for something else since the look: refused all the same.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        Fail(kErrorAccessDenied);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    // A new file's lock tells a later run that its writer is still at work (DeleteUnheldFile).
    if (exclusive) ::flock(fd, LOCK_EX | LOCK_NB);
    FileKey key{st.st_dev, st.st_ino};
    int id = Acquire(key, access, share);
    if (id == 0) {
        ::close(fd);
        Fail(kErrorSharingViolation);
    }
    const bool buffered = access == kAccessRead && !(share & kShareWrite);
    auto stream = std::make_unique<FileStream>(fd, Registration{key, id}, access, buffered);
    if (create && st.st_size != 0 && ::ftruncate(fd, 0) != 0)
        Fail(detail::WindowsErrorFromErrno(errno)); // stream closes on unwind
    if (create && !exists) detail::NoteCreated(*host, DT_REG);
    return stream;
}

std::unique_ptr<Stream> OpenHostFile(const std::string& path, HostFileMode mode) {
    const bool create = mode == HostFileMode::Create;
    // A created name that is a link is refused, not written through; nothing waits on a pipe.
    const int flags = O_CLOEXEC | O_NONBLOCK | (create ? O_RDWR | O_CREAT | O_NOFOLLOW : O_RDONLY);
    int fd = -1;
    do {
        fd = ::open(path.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        Fail(errno == ENOENT ? detail::NotFoundCode(path) : detail::WindowsErrorFromErrno(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        Fail(kErrorAccessDenied);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    // Emptied only once it is known to be a plain file.
    if (create && st.st_size != 0 && ::ftruncate(fd, 0) != 0) {
        const int code = detail::WindowsErrorFromErrno(errno);
        ::close(fd);
        Fail(code);
    }
    const unsigned access = create ? kAccessRead | kAccessWrite : kAccessRead;
    return std::make_unique<FileStream>(fd, std::nullopt, access, !create);
}

} // namespace vexo::platform
