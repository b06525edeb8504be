// VersionFile.cpp - a program file's version resource, read through this layer.
#include "platform/Shell.h"
#include "platform/ShellParsers.h"

namespace vexo::platform {

std::optional<VersionInfo> ReadVersionInfo(std::string_view path) {
    return detail::ParseVersionFile(path);
}

} // namespace vexo::platform
