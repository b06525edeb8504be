// PeImage.h - where parts of a PE program file lie: its certificate table and the text of a
// version string.
#pragma once

#include "platform/Stream.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vexo::platform {

/// A range of a file's bytes.
struct FileSpan {
    std::int64_t offset = 0;
    std::int64_t length = 0;
    std::int64_t End() const { return offset + length; }
    bool operator==(const FileSpan&) const = default;
};

/// The certificate table of a signed PE file at the start of `s` (data directory entry 4, whose
/// first field is a file offset, not an RVA). nullopt when `s` holds no PE headers, when the
/// entry is empty, or when its numbers do not hold: a table reaching past the end of the file,
/// starting inside the headers or the sections, shorter than one certificate record, or whose
/// first record claims more than the table. The stream's position is left anywhere.
std::optional<FileSpan> FindCertificateTable(Stream& s);

/// Where the value of the version string `name` (ASCII case ignored) of the first translation's
/// table lies in the PE image `data`: its UTF-16 units, without the terminating NULs. nullopt
/// when the image has no version resource or no such string.
std::optional<FileSpan> FindVersionStringValue(const std::uint8_t* data, std::size_t size,
                                               std::string_view name);

} // namespace vexo::platform
