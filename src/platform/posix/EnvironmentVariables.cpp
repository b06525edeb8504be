// EnvironmentVariables.cpp - the environment through getenv and setenv.
#include "platform/EnvironmentVariables.h"

#include <cstdlib>

namespace vexo::platform {

std::optional<std::string> GetEnv(std::string_view name) {
    const char* value = std::getenv(std::string(name).c_str());
    return value ? std::optional<std::string>(value) : std::nullopt;
}

void SetEnv(std::string_view name, const std::optional<std::string>& value) {
    const std::string key(name);
    if (value)
        ::setenv(key.c_str(), value->c_str(), 1);
    else
        ::unsetenv(key.c_str());
}

} // namespace vexo::platform
