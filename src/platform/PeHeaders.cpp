// PeHeaders.cpp - parsing the DOS, COFF and optional headers and the section table of a PE image.
#include "platform/PeHeaders.h"

#include <algorithm>

namespace vexo::platform::detail {
namespace {
constexpr std::uint32_t kSecurityEntry = 4;
constexpr std::uint32_t kResourceEntry = 2;
} // namespace

std::optional<PeHeaders> ParsePeHeaders(const ByteReader& r) {
    if (r.U16(0) != 0x5A4D) return std::nullopt;
    auto lfanew = r.U32(0x3C);
    if (!lfanew || r.U32(*lfanew) != 0x00004550) return std::nullopt;
    const std::size_t coff = *lfanew + 4;
    auto sectionCount = r.U16(coff + 2);
    auto optionalSize = r.U16(coff + 16);
    if (!sectionCount || !optionalSize) return std::nullopt;
    const std::size_t opt = coff + 20;
    auto magic = r.U16(opt);
    if (!magic || (*magic != 0x10B && *magic != 0x20B)) return std::nullopt;
    const std::size_t countOffset = *magic == 0x10B ? 92 : 108;
    const std::size_t dirs = *magic == 0x10B ? 96 : 112;
    PeHeaders image;
    image.directoryOffset = opt + dirs;
    auto dirCount = r.U32(opt + countOffset);
    auto entry = [&](std::uint32_t index, std::uint32_t& first, std::uint32_t& second) {
        // An entry counts only when the header's count and its declared size both hold it.
        if (!dirCount || *dirCount <= index || dirs + (index + 1) * 8 > *optionalSize) return;
        first = r.U32(opt + dirs + index * 8).value_or(0);
        second = r.U32(opt + dirs + index * 8 + 4).value_or(0);
    };
    entry(kResourceEntry, image.resourceRva, image.resourceSize);
    entry(kSecurityEntry, image.certificateOffset, image.certificateSize);
    const std::size_t table = opt + *optionalSize;
    if (!r.Has(table, static_cast<std::size_t>(*sectionCount) * 40)) return std::nullopt;
    for (std::size_t i = 0; i < *sectionCount; ++i) {
        const std::size_t s = table + i * 40;
        image.sections.push_back({*r.U32(s + 12), *r.U32(s + 8), *r.U32(s + 16), *r.U32(s + 20)});
    }
    const std::uint64_t tableEnd = table + static_cast<std::uint64_t>(*sectionCount) * 40;
    image.headersEnd = std::max<std::uint64_t>(tableEnd, r.U32(opt + 60).value_or(0));
    return image;
}

std::optional<std::pair<std::size_t, std::size_t>> MapRva(const PeHeaders& image,
                                                          const ByteReader& r, std::uint32_t rva) {
    for (const PeSection& s : image.sections) {
        if (rva < s.virtualAddress) continue;
        const std::uint64_t delta = rva - s.virtualAddress;
        if (delta >= s.rawSize) continue;
        const std::uint64_t offset = static_cast<std::uint64_t>(s.rawOffset) + delta;
        if (offset >= r.Size()) return std::nullopt;
        const std::uint64_t avail = std::min<std::uint64_t>(s.rawSize - delta, r.Size() - offset);
        return std::make_pair(static_cast<std::size_t>(offset), static_cast<std::size_t>(avail));
    }
    return std::nullopt;
}

std::uint64_t SectionsEnd(const PeHeaders& image) {
    std::uint64_t end = 0;
    for (const PeSection& s : image.sections)
        end = std::max<std::uint64_t>(end, static_cast<std::uint64_t>(s.rawOffset) + s.rawSize);
    return end;
}

} // namespace vexo::platform::detail
