// FileSystem.cpp - attributes, times, names and drives of Windows paths through the W calls.
#include "platform/FileSystem.h"

#include "platform/DosDateTime.h"
#include "platform/DriveTypes.h"
#include "platform/Error.h"
#include "platform/FaultInjection.h"
#include "platform/FindOrder.h"
#include "platform/Paths.h"
#include "platform/win32/WidePaths.h"
#include "platform/win32/Win32Files.h"

namespace vexo::platform {
namespace {

bool FailWith(int code) {
    SetLastError(code);
    return false;
}

bool FailOn(const std::wstring& system) {
    return FailWith(win32::LastErrorFor(system));
}

std::int32_t DosAgeOf(const FILETIME& time) {
    return PackDosDateTime(win32::LocalTimeOf(time));
}

// The attributes of an existing name; INVALID_FILE_ATTRIBUTES with LastError set otherwise.
DWORD AttributesOf(const std::wstring& system) {
    const DWORD attributes = ::GetFileAttributesW(system.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) FailOn(system);
    return attributes;
}

// Whether a handle is open on the file that does not let it be deleted or renamed (what
// Windows refuses a replacing rename for; Wine replaces it all the same).
bool HeldOpen(const std::wstring& system) {
    HANDLE h = ::CreateFileW(system.c_str(), DELETE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        ::CloseHandle(h);
        return false;
    }
    return ::GetLastError() == ERROR_SHARING_VIOLATION;
}

// The system path of a drive's root; drive C: is the stand-in's own drive for its type.
std::wstring RootOf(char letter) {
    return win32::SystemPath(std::string(1, letter) + ":\\");
}

// Whether two system paths name the same file, spelt differently in case only.
bool SpellingOnly(const std::wstring& source, const std::wstring& target) {
    const std::wstring a = win32::FullPathName(source), b = win32::FullPathName(target);
    return a != b && a.size() == b.size() &&
           ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

} // namespace

bool FileExists(std::string_view path) {
    const DWORD attributes = AttributesOf(win32::SystemPath(path));
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? FailWith(kErrorFileNotFound) : true;
}

bool DirectoryExists(std::string_view path) {
    const DWORD attributes = AttributesOf(win32::SystemPath(path));
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? true : FailWith(kErrorPathNotFound);
}

std::uint32_t GetFileAttributes(std::string_view path) {
    const DWORD attributes = AttributesOf(win32::SystemPath(path));
    return attributes == INVALID_FILE_ATTRIBUTES ? kInvalidAttributes : attributes;
}

bool SetFileAttributes(std::string_view path, std::uint32_t attributes) {
    const std::wstring system = win32::SystemPath(path);
    return ::SetFileAttributesW(system.c_str(), attributes) ? true : FailOn(system);
}

std::int32_t GetFileAge(std::string_view path) {
    const std::wstring system = win32::SystemPath(path);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(system.c_str(), GetFileExInfoStandard, &data)) {
        FailOn(system);
        return -1;
    }
    return DosAgeOf(data.ftLastWriteTime);
}

bool SetFileAge(std::string_view path, std::int32_t dosDateTime) {
    const std::wstring system = win32::SystemPath(path);
    const auto local = UnpackDosDateTime(dosDateTime);
    FILETIME time{};
    if (!local || !win32::FileTimeOf(*local, time)) return FailWith(kErrorInvalidParameter);
    HANDLE h = ::CreateFileW(system.c_str(), FILE_WRITE_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return FailOn(system);
    const bool set = ::SetFileTime(h, nullptr, nullptr, &time);
    const int code = set ? 0 : static_cast<int>(::GetLastError());
    ::CloseHandle(h);
    return set ? true : FailWith(code);
}

bool DeleteFile(std::string_view path) {
    const std::wstring system = win32::SystemPath(path);
    return ::DeleteFileW(system.c_str()) ? true : FailOn(system);
}

bool DeleteUnheldFile(std::string_view path) {
    // Windows refuses to delete a file another handle holds without delete sharing; a link is
    // deleted itself.
    const std::wstring system = win32::SystemPath(path);
    const DWORD attributes = AttributesOf(system);
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return FailWith(kErrorAccessDenied);
    return ::DeleteFileW(system.c_str()) ? true : FailOn(system);
}

bool IsLink(std::string_view path) {
    const DWORD attributes = ::GetFileAttributesW(win32::SystemPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool RenameFile(std::string_view from, std::string_view to) {
    if (int fault = detail::CheckFault(FaultKind::Rename)) return FailWith(fault);
    const std::wstring source = win32::SystemPath(from);
    const std::wstring target = win32::SystemPath(to);
    if (SpellingOnly(source, target)) {
        // Windows respells the name in one step; Wine keeps the old spelling, so the name
        // goes by a free name of its own first.
        const std::wstring between = source + L".~vx";
        if (!::MoveFileW(source.c_str(), between.c_str())) return FailOn(source);
        if (::MoveFileW(between.c_str(), target.c_str())) return true;
        const int code = win32::LastErrorFor(target);
        ::MoveFileW(between.c_str(), source.c_str());
        return FailWith(code);
    }
    if (::MoveFileW(source.c_str(), target.c_str())) return true;
    return FailWith(::GetLastError() == ERROR_FILE_NOT_FOUND ? win32::LastErrorFor(source)
                                                             : win32::LastErrorFor(target));
}

bool RenameFileReplacing(std::string_view from, std::string_view to) {
    if (int fault = detail::CheckFault(FaultKind::Rename)) return FailWith(fault);
    const std::wstring source = win32::SystemPath(from);
    const std::wstring target = win32::SystemPath(to);
    const DWORD sourceAttributes = AttributesOf(source);
    if (sourceAttributes == INVALID_FILE_ATTRIBUTES) return false;
    if (sourceAttributes & FILE_ATTRIBUTE_DIRECTORY) return FailWith(kErrorAccessDenied);
    // Refusals Windows makes and Wine does not: checked here so both answer alike.
    const DWORD targetAttributes = ::GetFileAttributesW(target.c_str());
    if (targetAttributes != INVALID_FILE_ATTRIBUTES &&
        ((targetAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) ||
         HeldOpen(target)))
        return FailWith(kErrorAccessDenied);
    if (HeldOpen(source)) return FailWith(kErrorSharingViolation);
    if (::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    return FailOn(target);
}

bool CreateDirectory(std::string_view path) {
    if (int fault = detail::CheckFault(FaultKind::CreateDirectory)) return FailWith(fault);
    const std::wstring system = win32::SystemPath(path);
    return ::CreateDirectoryW(system.c_str(), nullptr) ? true : FailOn(system);
}

bool RemoveDirectory(std::string_view path) {
    const std::wstring system = win32::SystemPath(path);
    return ::RemoveDirectoryW(system.c_str()) ? true : FailOn(system);
}

std::vector<FindEntry> FindFiles(std::string_view pattern) {
    std::vector<FindEntry> found;
    if (pattern.empty() || pattern.back() == '\\' || pattern.back() == '/') {
        SetLastError(kErrorFileNotFound);
        return found;
    }
    const std::wstring system = win32::SystemPath(pattern);
    // At a drive's root Windows lists no "." and ".."; the stand-in for C: is no root.
    const std::wstring program = win32::ProgramPathWide(win32::FullPathName(system));
    const bool root =
        program.size() >= 3 && program[1] == L':' && program.find_last_of(L"\\/") == 2;
    WIN32_FIND_DATAW data{};
    HANDLE h = ::FindFirstFileW(system.c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) {
        FailOn(system);
        return found;
    }
    do {
        const std::wstring_view name = data.cFileName;
        if (root && (name == L"." || name == L"..")) continue;
        FindEntry entry;
        entry.name = win32::Narrow(name);
        entry.attributes = data.dwFileAttributes;
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            entry.size = static_cast<std::int64_t>(
                (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
        entry.age = DosAgeOf(data.ftLastWriteTime);
        found.push_back(std::move(entry));
    } while (::FindNextFileW(h, &data));
    ::FindClose(h);
    SortFindEntries(found);
    SetLastError(found.empty() ? kErrorFileNotFound : kErrorSuccess);
    return found;
}

std::string TempDirectory() {
    std::string temp = win32::ProgramPath(win32::BufferAnswer(
        [](wchar_t* buffer, DWORD size) { return ::GetTempPathW(size, buffer); }));
    if (temp.empty()) return {};
    if (temp.back() != '\\') temp += '\\';
    if (PreparedForWriting()) win32::CreateInStandIn(temp); // a look creates nothing
    return temp;
}

std::string CurrentDirectory() {
    std::string cwd = win32::ProgramPath(win32::BufferAnswer(
        [](wchar_t* buffer, DWORD size) { return ::GetCurrentDirectoryW(size, buffer); }));
    if (cwd.size() > 3 && cwd.back() == '\\') cwd.pop_back();
    return cwd;
}

bool SetCurrentDirectory(std::string_view path) {
    const std::wstring system = win32::SystemPath(path);
    return ::SetCurrentDirectoryW(system.c_str()) ? true : FailOn(system);
}

std::string ModuleFileName() {
    return win32::ProgramPath(win32::BufferAnswer(
        [](wchar_t* buffer, DWORD size) { return ::GetModuleFileNameW(nullptr, buffer, size); }));
}

// Nothing to remember: every look-up asks the system.
LookupCacheScope::LookupCacheScope() = default;
LookupCacheScope::~LookupCacheScope() = default;
void ForgetLookups() {}

DriveType GetDriveType(std::string_view root) {
    const char letter = DriveLetterOf(root);
    if (letter == 0) return DriveType::NoRootDir;
    if (const auto type = DriveTypeOverride(letter)) return *type;
    std::wstring system = RootOf(letter);
    // The stand-in for C: is a folder; its drive's type is C:'s.
    if (system.size() > 3 && system[1] == L':') system.resize(3);
    win32::QuietDriveErrors quiet;
    return static_cast<DriveType>(::GetDriveTypeW(system.c_str()));
}

bool DriveReady(char letter) {
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 32);
    if (letter < 'A' || letter > 'Z') return false;
    const std::wstring system = RootOf(letter);
    win32::QuietDriveErrors quiet;
    const DWORD attributes = ::GetFileAttributesW(system.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::int64_t DiskSize(int number) {
    const char letter = number == 0                   ? DriveLetterOf("")
                        : number >= 1 && number <= 26 ? static_cast<char>('A' + number - 1)
                                                      : 0;
    if (letter == 0 || !DriveReady(letter)) return -1;
    const std::wstring system = RootOf(letter);
    win32::QuietDriveErrors quiet;
    ULARGE_INTEGER total{};
    if (!::GetDiskFreeSpaceExW(system.c_str(), nullptr, &total, nullptr)) return -1;
    return static_cast<std::int64_t>(total.QuadPart);
}

} // namespace vexo::platform
