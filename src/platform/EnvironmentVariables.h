// EnvironmentVariables.h - the process environment, read and set the same way on every host.
//
// Names and values are UTF-8. On Windows the values are the system's own (the variables child
// processes inherit, and what the C library's getenv sees).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vexo::platform {

/// The variable's value; nullopt when it is not set. An empty value counts as set.
std::optional<std::string> GetEnv(std::string_view name);
/// Sets the variable, or removes it for nullopt.
void SetEnv(std::string_view name, const std::optional<std::string>& value);

} // namespace vexo::platform
