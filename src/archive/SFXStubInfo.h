// SFXStubInfo.h - writing a self-extractor's code and tag sizes into its version strings.
#pragma once

#include <cstdint>
#include <vector>

namespace vexo::archive {

/// Writes `codeSize` and `tagSize` in decimal, left-padded with zeros, over the values of the
/// "SFXCodeSize" and "TagInfoSize" version strings of the program image `image`, where
/// TCustomSFXGenerator reads them. \returns false, changing nothing, when the image lacks
/// either string. Raises Exception, changing nothing, for a negative size or one that needs
/// more digits than its string holds.
bool WriteSFXSizes(std::vector<std::uint8_t>& image, std::int32_t codeSize, std::int32_t tagSize);

} // namespace vexo::archive
