// BlowFishTables.h - the standard initial Blowfish tables (digits of pi), as data.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vexo::extract {

inline constexpr std::size_t kBlowFishPWords = 18;
inline constexpr std::size_t kBlowFishSBoxes = 4;
inline constexpr std::size_t kBlowFishSBoxWords = 256;

/// The initial P-array: 0x243F6A88 first, 0x8979FB1B last.
extern const std::array<std::uint32_t, kBlowFishPWords> kBlowFishInitialP;
/// The initial S-boxes 1 to 4: S-box 1 starts with 0xD1310BA6, S-box 4 ends with 0x3AC372E6.
extern const std::array<std::array<std::uint32_t, kBlowFishSBoxWords>, kBlowFishSBoxes>
    kBlowFishInitialS;

} // namespace vexo::extract
