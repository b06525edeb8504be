// PathText.h - the length rule of the environment's path texts.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vexo::environment {

/// Paths and names are kept in strings of at most this many characters.
inline constexpr std::size_t kMaxPathText = 255;

/// \returns `text` cut at kMaxPathText characters.
std::string CutPath(std::string_view text);

} // namespace vexo::environment
