// VersionResource.cpp - VS_VERSIONINFO from a PE image's resources, walking the headers ourselves.
//
// Every offset and length comes from an untrusted file and is checked against the buffer
// (and the enclosing block) before it is used.
#include "platform/ByteReader.h"
#include "platform/Encoding.h"
#include "platform/Error.h"
#include "platform/PeHeaders.h"
#include "platform/PeImage.h"
#include "platform/Shell.h"
#include "platform/ShellParsers.h"

#include <algorithm>
#include <cstdio>

namespace vexo::platform {
namespace {

using detail::ByteReader;
using detail::MapRva;
using detail::PeHeaders;

constexpr std::uint32_t kRtVersion = 16;
constexpr std::uint32_t kFixedSignature = 0xFEEF04BD;
constexpr std::int64_t kMaxImage = 256LL << 20;

// The first entry of a resource directory (matching `id` when given): its OffsetToData.
std::optional<std::uint32_t> DirectoryEntry(const ByteReader& rsrc, std::uint32_t dir,
                                            std::optional<std::uint32_t> id) {
    auto named = rsrc.U16(dir + 12), ids = rsrc.U16(dir + 14);
    if (!named || !ids) return std::nullopt;
    const std::size_t count = static_cast<std::size_t>(*named) + *ids;
    if (!rsrc.Has(dir + 16, count * 8)) return std::nullopt;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t e = dir + 16 + i * 8;
        const std::uint32_t name = *rsrc.U32(e);
        if (id && ((name & 0x80000000u) || name != *id)) continue;
        return *rsrc.U32(e + 4);
    }
    return std::nullopt;
}

struct Block {
    std::size_t start = 0, length = 0; // within the version buffer
    std::uint16_t valueLength = 0, type = 0;
    std::string key;          // UTF-8
    std::size_t value = 0;    // offset of the value
    std::size_t children = 0; // offset of the first child
};

std::size_t Align4(std::size_t v) {
    return (v + 3) & ~static_cast<std::size_t>(3);
}

// Reads the block at `start`, which must lie within [start, limit).
std::optional<Block> ReadBlock(const ByteReader& r, std::size_t start, std::size_t limit) {
    Block b;
    b.start = start;
    auto length = r.U16(start), valueLength = r.U16(start + 2), type = r.U16(start + 4);
    if (!length || !valueLength || !type || *length < 6 || start + *length > limit)
        return std::nullopt;
    b.length = *length;
    b.valueLength = *valueLength;
    b.type = *type;
    ByteReader inner(r.Data() + start, b.length);
    std::size_t keyEnd = 0;
    auto key = inner.WString(6, &keyEnd);
    if (!key) return std::nullopt;
    b.key = *key;
    b.value = start + Align4(keyEnd);
    std::size_t valueBytes = b.type == 1 ? 2u * b.valueLength : b.valueLength;
    if (b.value > start + b.length) b.value = start + b.length;
    if (valueBytes > start + b.length - b.value)
        valueBytes = start + b.length - b.value; // a String's count may include padding
    b.children = std::min(start + b.length, b.value + Align4(valueBytes));
    return b;
}

template <class F> bool ForEachChild(const ByteReader& r, const Block& parent, F&& visit) {
    const std::size_t end = parent.start + parent.length;
    std::size_t pos = parent.children;
    while (pos + 6 <= end) {
        auto child = ReadBlock(r, pos, end);
        if (!child) return false;
        visit(*child);
        pos = Align4(pos + child->length);
    }
    return true;
}

bool ParseVersionBlock(const ByteReader& r, VersionInfo& info) {
    auto root = ReadBlock(r, 0, r.Size());
    if (!root || root->key != "VS_VERSION_INFO") return false;
    if (root->valueLength >= 52 && r.Has(root->value, 52) &&
        r.U32(root->value) == kFixedSignature) {
        info.fileVersionMS = *r.U32(root->value + 8);
        info.fileVersionLS = *r.U32(root->value + 12);
        info.productVersionMS = *r.U32(root->value + 16);
        info.productVersionLS = *r.U32(root->value + 20);
    }
    return ForEachChild(r, *root, [&](const Block& child) {
        if (child.key == "StringFileInfo") {
            ForEachChild(r, child, [&](const Block& table) {
                auto& strings = info.strings[UpperAscii(table.key)];
                ForEachChild(r, table, [&](const Block& s) {
                    std::size_t units = s.valueLength;
                    const std::size_t room = (s.start + s.length - s.value) / 2;
                    units = std::min(units, room);
                    std::string value = r.WChars(s.value, units).value_or("");
                    while (!value.empty() && value.back() == '\0')
                        value.pop_back();
                    strings.emplace(Utf8ToCp1252(s.key), Utf8ToCp1252(value));
                });
            });
        } else if (child.key == "VarFileInfo") {
            ForEachChild(r, child, [&](const Block& var) {
                if (var.key != "Translation") return;
                const std::size_t end = var.start + var.length;
                for (std::size_t p = var.value;
                     p + 4 <= end && p + 4 <= var.value + var.valueLength; p += 4)
                    info.translations.emplace_back(*r.U16(p), *r.U16(p + 2));
            });
        }
    });
}

std::optional<VersionInfo> Fail(int code) {
    SetLastError(code);
    return std::nullopt;
}

// Where the version resource's own bytes lie in the image, or the error that tells why not.
struct Located {
    std::size_t offset = 0, size = 0;
    int error = kErrorSuccess;
};

Located LocateVersionResource(const std::uint8_t* data, std::size_t size) {
    auto fail = [](int code) { return Located{0, 0, code}; };
    if (!data) return fail(kErrorBadExeFormat);
    ByteReader r(data, size);
    auto image = detail::ParsePeHeaders(r);
    if (!image) return fail(kErrorBadExeFormat);
    if (image->resourceRva == 0 || image->resourceSize == 0)
        return fail(kErrorResourceTypeNotFound);
    auto rsrcAt = MapRva(*image, r, image->resourceRva);
    if (!rsrcAt) return fail(kErrorBadExeFormat);
    ByteReader rsrc(data + rsrcAt->first, rsrcAt->second);

    // type 16 -> first name -> first language -> data entry
    auto typeEntry = DirectoryEntry(rsrc, 0, kRtVersion);
    if (!typeEntry) return fail(rsrc.Has(0, 16) ? kErrorResourceTypeNotFound : kErrorBadExeFormat);
    if (!(*typeEntry & 0x80000000u)) return fail(kErrorBadExeFormat);
    auto nameEntry = DirectoryEntry(rsrc, *typeEntry & 0x7FFFFFFFu, std::nullopt);
    if (!nameEntry || !(*nameEntry & 0x80000000u))
        return fail(nameEntry ? kErrorBadExeFormat : kErrorResourceTypeNotFound);
    auto langEntry = DirectoryEntry(rsrc, *nameEntry & 0x7FFFFFFFu, std::nullopt);
    if (!langEntry || (*langEntry & 0x80000000u)) return fail(kErrorBadExeFormat);
    auto dataRva = rsrc.U32(*langEntry), dataSize = rsrc.U32(*langEntry + 4);
    if (!dataRva || !dataSize) return fail(kErrorBadExeFormat);
    auto dataAt = MapRva(*image, r, *dataRva);
    if (!dataAt || dataAt->second < *dataSize) return fail(kErrorBadExeFormat);
    return Located{dataAt->first, *dataSize, kErrorSuccess};
}

} // namespace

bool detail::WalkVersionBlock(const std::uint8_t* data, std::size_t size, VersionInfo& info) {
    return data && ParseVersionBlock(ByteReader(data, size), info);
}

std::optional<VersionInfo> ParseVersionInfo(const std::uint8_t* data, std::size_t size) {
    const Located at = LocateVersionResource(data, size);
    if (at.error != kErrorSuccess) return Fail(at.error);
    VersionInfo info;
    if (!ParseVersionBlock(ByteReader(data + at.offset, at.size), info))
        return Fail(kErrorBadExeFormat);
    SetLastError(kErrorSuccess);
    return info;
}

std::optional<FileSpan> FindVersionStringValue(const std::uint8_t* data, std::size_t size,
                                               std::string_view name) {
    const Located at = LocateVersionResource(data, size);
    if (at.error != kErrorSuccess) return std::nullopt;
    const ByteReader r(data + at.offset, at.size);
    VersionInfo info;
    if (!ParseVersionBlock(r, info) || info.translations.empty()) return std::nullopt;
    char table[9];
    std::snprintf(table, sizeof table, "%04X%04X", info.translations.front().first,
                  info.translations.front().second);
    std::optional<FileSpan> found;
    auto root = ReadBlock(r, 0, r.Size());
    ForEachChild(r, *root, [&](const Block& child) {
        if (found || child.key != "StringFileInfo") return;
        ForEachChild(r, child, [&](const Block& strings) {
            if (found || UpperAscii(strings.key) != table) return;
            ForEachChild(r, strings, [&](const Block& s) {
                if (found || !EqualsIgnoreCaseAscii(Utf8ToCp1252(s.key), name)) return;
                std::size_t units =
                    std::min<std::size_t>(s.valueLength, (s.start + s.length - s.value) / 2);
                while (units > 0 && r.U16(s.value + 2 * (units - 1)) == 0)
                    --units;
                found = FileSpan{static_cast<std::int64_t>(at.offset + s.value),
                                 static_cast<std::int64_t>(2 * units)};
            });
        });
    });
    return found;
}

std::size_t PeImageExtent(const std::uint8_t* data, std::size_t size) {
    if (!data) return 0;
    auto image = detail::ParsePeHeaders(ByteReader(data, size));
    return image ? static_cast<std::size_t>(
                       std::min<std::uint64_t>(detail::SectionsEnd(*image), kMaxImage))
                 : 0;
}

} // namespace vexo::platform
