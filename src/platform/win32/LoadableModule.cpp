// LoadableModule.cpp - modules loaded by LoadLibraryW from a temporary file: Windows has no
// memory files.
#include "platform/LoadableModule.h"

#include "platform/win32/WidePaths.h"
#include "platform/win32/WindowsApi.h"

#include <atomic>
#include <mutex>
#include <vector>

namespace vexo::platform {
namespace {

// The system's own words for an error code, without the line break it ends in.
std::string SystemText(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring words(text ? text : L"", n);
    ::LocalFree(text);
    while (!words.empty() &&
           (words.back() == L'\n' || words.back() == L'\r' || words.back() == L' '))
        words.pop_back();
    if (words.empty()) words = L"error " + std::to_wstring(code);
    return win32::NarrowUtf8(words);
}

std::string Failure(const std::string& what) {
    return what + ": " + SystemText(::GetLastError());
}

// Handles that delete the loaded modules' files when they close: when the process ends, the
// module no longer needs its file. Closed by the system then, never by this code.
std::mutex g_keptMutex;
std::vector<HANDLE> g_kept;

bool WriteAll(HANDLE file, const unsigned char* bytes, std::size_t size) {
    while (size > 0) {
        DWORD done = 0;
        const auto chunk = static_cast<DWORD>(size < (1u << 30) ? size : (1u << 30));
        if (!::WriteFile(file, bytes, chunk, &done, nullptr) || done == 0) return false;
        bytes += done;
        size -= done;
    }
    return true;
}

// A new file in the temporary folder whose name starts with `name`; INVALID_HANDLE_VALUE
// with `why` set when none can be made.
HANDLE CreateTemporaryFile(const std::string& name, std::wstring& path, std::string& why) {
    static std::atomic<unsigned> counter{0};
    const std::wstring folder = win32::BufferAnswer(
        [](wchar_t* buffer, DWORD size) { return ::GetTempPathW(size, buffer); });
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = folder + win32::WidenUtf8(name) + L"." + std::to_wstring(::GetCurrentProcessId()) +
               L"-" + std::to_wstring(counter++) + L".dll";
        HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY, nullptr);
        if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS) {
            if (file == INVALID_HANDLE_VALUE) why = Failure(win32::NarrowUtf8(path));
            return file;
        }
    }
    why = Failure(win32::NarrowUtf8(path));
    return INVALID_HANDLE_VALUE;
}

} // namespace

LoadableModule LoadableModule::FromMemory(std::string_view name, const void* bytes,
                                          std::size_t size) {
    std::wstring path;
    std::string why;
    HANDLE file = CreateTemporaryFile(std::string(name), path, why);
    if (file == INVALID_HANDLE_VALUE) throw ModuleError(why);
    const bool written = WriteAll(file, static_cast<const unsigned char*>(bytes), size);
    if (!written) why = Failure("WriteFile: " + win32::NarrowUtf8(path));
    ::CloseHandle(file);
    // Deleted when this handle closes; the loader's own opens share deletion, so they may
    // come meanwhile.
    HANDLE keeper = ::CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    HMODULE module = written ? ::LoadLibraryW(path.c_str()) : nullptr;
    if (written && !module) why = Failure("LoadLibraryW: " + win32::NarrowUtf8(path));
    if (keeper != INVALID_HANDLE_VALUE && module) {
        std::lock_guard lock(g_keptMutex);
        g_kept.push_back(keeper);
    } else if (keeper != INVALID_HANDLE_VALUE) {
        ::CloseHandle(keeper); // nothing loaded: the file goes now
    } else {
        ::DeleteFileW(path.c_str()); // where the system lets a loaded module's file go
    }
    if (!module) throw ModuleError(why);
    return LoadableModule(module);
}

void* LoadableModule::Symbol(const char* symbol) const {
    FARPROC address = ::GetProcAddress(static_cast<HMODULE>(handle_), symbol);
    if (!address) throw ModuleError(Failure(std::string("GetProcAddress: ") + symbol));
    return reinterpret_cast<void*>(address);
}

} // namespace vexo::platform
