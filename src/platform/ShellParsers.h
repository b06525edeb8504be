// ShellParsers.h - internal: the shared shell-link and version parsers as each host's layer uses
// them.
#pragma once

#include "platform/Shell.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vexo::platform::detail {

/// ParseShellLink over the file's bytes; nullopt when it is missing, unreadable or no link.
/// A relative target is left as the link holds it.
std::optional<ShellLink> ParseShellLinkFile(std::string_view linkPath);
/// A link's relative target names a file beside the link; other targets are returned as given.
std::string TargetBesideLink(std::string_view linkPath, std::string target);

/// ParseVersionInfo over the file's image (its appended data is not read), with LastError() set
/// as ReadVersionInfo promises.
std::optional<VersionInfo> ParseVersionFile(std::string_view path);
/// The VS_VERSIONINFO walk behind ParseVersionInfo over a version resource's own bytes; false
/// when they are no version block.
bool WalkVersionBlock(const std::uint8_t* data, std::size_t size, VersionInfo& info);

} // namespace vexo::platform::detail
