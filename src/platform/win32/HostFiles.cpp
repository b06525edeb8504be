// HostFiles.cpp - what the system knows of a host file, links followed.
#include "platform/HostFiles.h"

#include "platform/win32/WidePaths.h"
#include "platform/win32/Win32Files.h"

#include <system_error>

namespace vexo::platform {

HostFileFacts GetHostFileFacts(const std::string& path) {
    const std::wstring system = win32::WidenUtf8(path);
    // Opened for its attributes only, which follows links as the other hosts do.
    HANDLE h = ::CreateFileW(system.c_str(), FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    HostFileFacts facts;
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ||
            code == ERROR_INVALID_NAME)
            return facts;
        throw std::system_error(static_cast<int>(code), std::system_category(), path);
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = ::GetFileInformationByHandle(h, &info);
    const DWORD kind = ::GetFileType(h);
    const DWORD code = ::GetLastError();
    ::CloseHandle(h);
    if (!known) throw std::system_error(static_cast<int>(code), std::system_category(), path);
    facts.type = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? HostFileType::Directory
                 : kind == FILE_TYPE_DISK                           ? HostFileType::Regular
                                                                    : HostFileType::Other;
    facts.lastWrite = win32::LocalTimeOf(info.ftLastWriteTime);
    facts.readOnly = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    return facts;
}

} // namespace vexo::platform
