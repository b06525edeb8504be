// FileStream.cpp - OpenFile: file streams over CreateFileW handles, whose share modes do the
// sharing; and OpenHostFile, the same streams over host paths.
#include "platform/FaultInjection.h"
#include "platform/FileSystem.h"
#include "platform/HostFiles.h"
#include "platform/PositionedStream.h"
#include "platform/win32/WidePaths.h"
#include "platform/win32/Win32Files.h"

#include <algorithm>

namespace vexo::platform {
namespace {

using detail::kAccessRead;
using detail::kAccessWrite;

// Positioned reads and writes: an offset in each call, as pread and pwrite take one.
class HandleStream final : public detail::PositionedStream {
  public:
    HandleStream(HANDLE handle, unsigned access, bool faults, bool buffered)
        : PositionedStream(access, faults, buffered), handle_(handle) {}
    ~HandleStream() override { ::CloseHandle(handle_); }

  private:
    static constexpr std::size_t kLargestCall = 1u << 30;

    static OVERLAPPED At(std::int64_t position) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(position) & 0xFFFFFFFFu);
        at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(position) >> 32);
        return at;
    }

    std::int64_t ReadAt(std::int64_t position, void* buffer, std::size_t count,
                        int& error) override {
        OVERLAPPED at = At(position);
        DWORD done = 0;
        if (::ReadFile(handle_, buffer, static_cast<DWORD>(std::min(count, kLargestCall)), &done,
                       &at))
            return done;
        const DWORD code = ::GetLastError();
        if (code == ERROR_HANDLE_EOF) return 0;
        error = static_cast<int>(code);
        return -1;
    }

    std::int64_t WriteAt(std::int64_t position, const void* buffer, std::size_t count,
                         int& error) override {
        OVERLAPPED at = At(position);
        DWORD done = 0;
        if (::WriteFile(handle_, buffer, static_cast<DWORD>(std::min(count, kLargestCall)), &done,
                        &at))
            return done;
        error = static_cast<int>(::GetLastError());
        return -1;
    }

    std::int64_t FileSize(int& error) override {
        LARGE_INTEGER size{};
        if (::GetFileSizeEx(handle_, &size)) return size.QuadPart;
        error = static_cast<int>(::GetLastError());
        return -1;
    }

    bool Resize(std::int64_t size, int& error) override {
        LARGE_INTEGER to{};
        to.QuadPart = size;
        if (::SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN) && ::SetEndOfFile(handle_))
            return true;
        error = static_cast<int>(::GetLastError());
        return false;
    }

    HANDLE handle_;
};

// The system's message alone, as Windows words it: callers add the name where they show one.
[[noreturn]] void Fail(int code) {
    SetLastError(code);
    throw PlatformError(code, SystemErrorMessage(code));
}

} // namespace

std::unique_ptr<Stream> OpenFile(std::string_view path, OpenMode mode, FinalLink link) {
    const auto request = detail::ReadOpenMode(mode);
    if (!request) Fail(kErrorInvalidParameter);
    const bool create = request->create, exclusive = request->exclusive;
    const unsigned access = request->access;
    const DWORD share = ((request->share & detail::kShareRead) ? FILE_SHARE_READ : 0) |
                        ((request->share & detail::kShareWrite) ? FILE_SHARE_WRITE : 0);
    const std::wstring system = win32::SystemPath(path);
    if (create) {
        if (int fault = detail::CheckFault(FaultKind::CreateFile)) Fail(fault);
    }
    const DWORD attributes = ::GetFileAttributesW(system.c_str());
    // A planted link is never written through: a created name and a refused link stay
    // themselves (CREATE_NEW refuses any existing name on its own).
    const bool noFollow = create || link == FinalLink::Refuse;
    if (!exclusive && noFollow && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        Fail(kErrorAccessDenied);
    // Refusals Windows makes and Wine does not: write access to a read-only file (Wine lets
    // root through), a file created anew over a hidden or system one.
    if ((access & kAccessWrite) && !exclusive) {
        const DWORD refused =
            FILE_ATTRIBUTE_READONLY | (create ? FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM : 0);
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
            (attributes & refused))
            Fail(kErrorAccessDenied);
    }
    const DWORD desired =
        ((access & kAccessRead) ? GENERIC_READ : 0) | ((access & kAccessWrite) ? GENERIC_WRITE : 0);
    const DWORD disposition = exclusive ? CREATE_NEW : create ? CREATE_ALWAYS : OPEN_EXISTING;
    const DWORD flags = FILE_ATTRIBUTE_NORMAL | (noFollow ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
    HANDLE handle =
        ::CreateFileW(system.c_str(), desired, share, nullptr, disposition, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) Fail(win32::LastErrorFor(system));
    // Only a file on a disk: a pipe, a device ("NUL", "COM1") or a link opened as itself is
    // refused before any read could wait on it.
    DWORD opened = 0;
    if (!win32::IsDiskFile(handle, &opened) ||
        (noFollow && (opened & FILE_ATTRIBUTE_REPARSE_POINT))) {
        ::CloseHandle(handle);
        Fail(kErrorAccessDenied);
    }
    const bool buffered = access == kAccessRead && !(share & FILE_SHARE_WRITE);
    return std::make_unique<HandleStream>(handle, access, true, buffered);
}

std::unique_ptr<Stream> OpenHostFile(const std::string& path, HostFileMode mode) {
    const bool create = mode == HostFileMode::Create;
    const std::wstring system = win32::WidenUtf8(path);
    if (create) {
        const DWORD attributes = ::GetFileAttributesW(system.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            Fail(kErrorAccessDenied); // a planted link is not written through
    }
    // Everything shared: these streams take no part in the installer's sharing.
    HANDLE handle =
        ::CreateFileW(system.c_str(), create ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      create ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) Fail(win32::LastErrorFor(system));
    if (!win32::IsDiskFile(handle)) {
        ::CloseHandle(handle);
        Fail(kErrorAccessDenied);
    }
    const unsigned access = create ? kAccessRead | kAccessWrite : kAccessRead;
    return std::make_unique<HandleStream>(handle, access, false, !create);
}

} // namespace vexo::platform
