// OsVersionSetting.h - the reported Windows version as VEXO_WINVER writes it.
#pragma once

#include "platform/System.h"

#include <optional>
#include <string_view>

namespace vexo::platform {

/// "MAJOR[.MINOR]" (5, 6.1, 10) for the NT family, or one of Wine's names (win98, winxp,
/// win7, win10...), ASCII case ignored; nullopt for anything else (the setting is then taken
/// as absent).
std::optional<OsVersion> ParseOsVersionSetting(std::string_view text);

} // namespace vexo::platform
