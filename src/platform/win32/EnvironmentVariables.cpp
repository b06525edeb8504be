// EnvironmentVariables.cpp - the environment through the system's wide calls.
#include "platform/EnvironmentVariables.h"

#include "platform/win32/WidePaths.h"
#include "platform/win32/WindowsApi.h"

#include <stdlib.h>

namespace vexo::platform {

std::optional<std::string> GetEnv(std::string_view name) {
    const std::wstring key = win32::WidenUtf8(name);
    ::SetLastError(ERROR_SUCCESS);
    const std::wstring value = win32::BufferAnswer([&](wchar_t* buffer, DWORD size) {
        return ::GetEnvironmentVariableW(key.c_str(), buffer, size);
    });
    if (value.empty() && ::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
    return win32::NarrowUtf8(value);
}

void SetEnv(std::string_view name, const std::optional<std::string>& value) {
    const std::wstring key = win32::WidenUtf8(name);
    const std::wstring text = value ? win32::WidenUtf8(*value) : std::wstring();
    // The C library's copy too, so its getenv agrees; it takes an empty value for removal,
    // which the system's own call then sets back where an empty value was asked for.
    ::_wputenv_s(key.c_str(), text.c_str());
    ::SetEnvironmentVariableW(key.c_str(), value ? text.c_str() : nullptr);
}

} // namespace vexo::platform
