// PeHeaders.h - the headers of a PE image as the version and certificate readers need them
// (internal).
#pragma once

#include "platform/ByteReader.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace vexo::platform::detail {

struct PeSection {
    std::uint32_t virtualAddress = 0, virtualSize = 0, rawSize = 0, rawOffset = 0;
};

struct PeHeaders {
    std::vector<PeSection> sections;
    std::uint32_t resourceRva = 0, resourceSize = 0;
    /// Data directory entry 4: unlike the others its first field is a file offset.
    std::uint32_t certificateOffset = 0, certificateSize = 0;
    /// Where the optional header's data directory starts in the file (entry i at + 8 i).
    std::size_t directoryOffset = 0;
    /// The file bytes the headers take: SizeOfHeaders, or the end of the section table when
    /// that lies further.
    std::uint64_t headersEnd = 0;
};

/// Parses the headers at the start of `r`; nullopt when this is no PE file or the headers are
/// damaged. Every field is read through `r`'s bounds checks.
std::optional<PeHeaders> ParsePeHeaders(const ByteReader& r);

/// The file offset of an RVA and the bytes that follow it in its section and in the buffer.
std::optional<std::pair<std::size_t, std::size_t>> MapRva(const PeHeaders& image,
                                                          const ByteReader& r, std::uint32_t rva);

/// How far into the file the image's sections reach (overlay data after them is no part of it).
std::uint64_t SectionsEnd(const PeHeaders& image);

} // namespace vexo::platform::detail
