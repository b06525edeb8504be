// PeImage.cpp - the certificate table of a signed PE file, found through its headers.
#include "platform/PeImage.h"

#include "platform/ByteReader.h"
#include "platform/PeHeaders.h"

#include <algorithm>
#include <vector>

namespace vexo::platform {
namespace {
constexpr std::int64_t kHeaderProbe = 64 * 1024;  // the PE headers lie within this
constexpr std::uint32_t kCertificateHeadSize = 8; // dwLength, wRevision, wCertificateType
constexpr std::uint16_t kRevision1 = 0x0100;
constexpr std::uint16_t kRevision2 = 0x0200;
} // namespace

std::optional<FileSpan> FindCertificateTable(Stream& s) {
    const std::int64_t size = s.Size();
    std::vector<std::uint8_t> head(static_cast<std::size_t>(std::min(size, kHeaderProbe)));
    s.SetPosition(0);
    s.ReadBuffer(head.data(), head.size());
    const detail::ByteReader r(head.data(), head.size());
    const auto pe = detail::ParsePeHeaders(r);
    if (!pe || pe->certificateOffset == 0 || pe->certificateSize < kCertificateHeadSize)
        return std::nullopt;
    // 64-bit sums: an offset and a length near 4 GiB must not wrap into the file.
    const std::uint64_t offset = pe->certificateOffset;
    const std::uint64_t end = offset + pe->certificateSize;
    if (offset < pe->headersEnd || offset < detail::SectionsEnd(*pe) ||
        end > static_cast<std::uint64_t>(size))
        return std::nullopt;
    std::uint8_t record[kCertificateHeadSize];
    s.SetPosition(static_cast<std::int64_t>(offset));
    s.ReadBuffer(record, sizeof record);
    const detail::ByteReader first(record, sizeof record);
    const std::uint32_t length = *first.U32(0);
    const std::uint16_t revision = *first.U16(4);
    if (length < kCertificateHeadSize || length > pe->certificateSize ||
        (revision != kRevision1 && revision != kRevision2))
        return std::nullopt;
    return FileSpan{static_cast<std::int64_t>(offset), static_cast<std::int64_t>(end - offset)};
}

} // namespace vexo::platform
