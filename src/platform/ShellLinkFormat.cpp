// ShellLinkFormat.cpp - the binary shell-link (.lnk) format, built and parsed without a shell.
#include "platform/ByteReader.h"
#include "platform/Encoding.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"

#include <cstring>
#include <vector>

namespace vexo::platform {
namespace {

constexpr std::uint32_t kHeaderSize = 0x4C;
constexpr std::uint8_t kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                         0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
// Link flags.
constexpr std::uint32_t kHasIdList = 0x01, kHasLinkInfo = 0x02, kHasName = 0x04,
                        kHasRelativePath = 0x08, kHasWorkingDir = 0x10, kHasArguments = 0x20,
                        kHasIconLocation = 0x40, kIsUnicode = 0x80;

void PutU16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

// Windows-1252 text as UTF-16 code units.
std::vector<std::uint16_t> ToUtf16(std::string_view cp1252) {
    std::string utf8 = Cp1252ToUtf8(cp1252);
    std::vector<std::uint16_t> units;
    for (std::size_t i = 0; i < utf8.size();) {
        auto b = static_cast<unsigned char>(utf8[i]);
        char32_t cp = b;
        std::size_t len = b < 0x80 ? 1 : b < 0xE0 ? 2 : 3; // our converter emits at most 3
        if (len == 2)
            cp = ((b & 0x1F) << 6) | (utf8[i + 1] & 0x3F);
        else if (len == 3)
            cp = ((b & 0x0F) << 12) | ((utf8[i + 1] & 0x3F) << 6) | (utf8[i + 2] & 0x3F);
        units.push_back(static_cast<std::uint16_t>(cp));
        i += len;
    }
    return units;
}

void PutCountedString(std::vector<std::uint8_t>& out, std::string_view text) {
    auto units = ToUtf16(text);
    if (units.size() > 0xFFFF) units.resize(0xFFFF);
    PutU16(out, static_cast<std::uint32_t>(units.size()));
    for (auto u : units)
        PutU16(out, u);
}

// The path an ID list names: a drive item followed by file-entry items (primary names).
std::string PathFromIdList(const detail::ByteReader& r, std::size_t offset, std::size_t end) {
    std::string path;
    while (offset + 2 <= end) {
        std::uint16_t size = *r.U16(offset);
        if (size == 0 || size < 3 || offset + size > end) break;
        std::uint8_t type = r.Data()[offset + 2];
        detail::ByteReader item(r.Data() + offset, size);
        if ((type & 0x70) == 0x20 && size >= 6) { // volume: "C:\"
            if (auto drive = item.CString(3); drive && !drive->empty()) path = *drive;
        } else if ((type & 0x70) == 0x30 && size > 14 && !path.empty()) { // file entry
            std::optional<std::string> name = (type & 0x04) ? item.WString(14) : item.CString(14);
            if (!name || name->empty()) return {};
            std::string cp = (type & 0x04) ? Utf8ToCp1252(*name) : *name;
            if (path.back() != '\\') path += '\\';
            path += cp;
        }
        offset += size;
    }
    return path;
}

std::optional<std::string> StringAt(const detail::ByteReader& info, std::size_t offset,
                                    bool unicode) {
    if (offset == 0 || offset >= info.Size()) return std::nullopt;
    if (!unicode) return info.CString(offset);
    auto s = info.WString(offset);
    if (!s) return std::nullopt;
    return Utf8ToCp1252(*s);
}

} // namespace

std::vector<std::uint8_t> BuildShellLink(const ShellLink& link) {
    std::uint32_t flags = kHasLinkInfo | kIsUnicode;
    if (!link.description.empty()) flags |= kHasName;
    if (!link.workingDirectory.empty()) flags |= kHasWorkingDir;

    std::vector<std::uint8_t> out;
    PutU32(out, kHeaderSize);
    out.insert(out.end(), std::begin(kLinkClsid), std::end(kLinkClsid));
    PutU32(out, flags);
    PutU32(out, kAttrArchive);
    out.resize(out.size() + 3 * 8 + 4 + 4); // three file times, file size, icon index
    PutU32(out, 1);                         // show normal
    out.resize(out.size() + 2 + 2 + 4 + 4); // hot key, reserved

    // LinkInfo: a volume of a fixed drive and the local base path.
    const std::uint32_t headerSize = 0x1C, volumeSize = 0x11;
    const std::uint32_t baseOffset = headerSize + volumeSize;
    const std::uint32_t suffixOffset =
        baseOffset + static_cast<std::uint32_t>(link.target.size()) + 1;
    const std::uint32_t infoSize = suffixOffset + 1;
    PutU32(out, infoSize);
    PutU32(out, headerSize);
    PutU32(out, 0x01); // VolumeIDAndLocalBasePath
    PutU32(out, headerSize);
    PutU32(out, baseOffset);
    PutU32(out, 0); // no network part
    PutU32(out, suffixOffset);
    PutU32(out, volumeSize);
    PutU32(out, 3); // DRIVE_FIXED
    PutU32(out, 0); // serial number
    PutU32(out, 0x10);
    out.push_back(0); // empty volume label
    out.insert(out.end(), link.target.begin(), link.target.end());
    out.push_back(0);
    out.push_back(0); // empty common path suffix

    if (flags & kHasName) PutCountedString(out, link.description);
    if (flags & kHasWorkingDir) PutCountedString(out, link.workingDirectory);
    PutU32(out, 0); // terminal block
    return out;
}

std::optional<ShellLink> ParseShellLink(const std::uint8_t* data, std::size_t size) {
    if (!data) return std::nullopt;
    detail::ByteReader r(data, size);
    if (r.U32(0) != kHeaderSize || !r.Has(0, kHeaderSize) ||
        std::memcmp(data + 4, kLinkClsid, sizeof kLinkClsid) != 0)
        return std::nullopt;
    const std::uint32_t flags = *r.U32(0x14);
    const bool unicode = (flags & kIsUnicode) != 0;
    std::size_t pos = kHeaderSize;
    ShellLink link;

    std::string idListPath;
    if (flags & kHasIdList) {
        auto listSize = r.U16(pos);
        if (!listSize || !r.Has(pos + 2, *listSize)) return std::nullopt;
        idListPath = PathFromIdList(r, pos + 2, pos + 2 + *listSize);
        pos += 2 + *listSize;
    }
    if (flags & kHasLinkInfo) {
        auto infoSize = r.U32(pos);
        if (!infoSize || *infoSize < 0x1C || !r.Has(pos, *infoSize)) return std::nullopt;
        detail::ByteReader info(data + pos, *infoSize);
        const std::uint32_t headerSize = *info.U32(4), infoFlags = *info.U32(8);
        const bool unicodeOffsets = headerSize >= 0x24 && info.Has(0, 0x24);
        std::string suffix;
        if (auto s =
                StringAt(info, unicodeOffsets ? *info.U32(0x20) : *info.U32(0x18), unicodeOffsets))
            suffix = *s;
        else if (auto a = StringAt(info, *info.U32(0x18), false))
            suffix = *a;
        if (infoFlags & 0x01) {
            std::optional<std::string> base;
            if (unicodeOffsets) base = StringAt(info, *info.U32(0x1C), true);
            if (!base) base = StringAt(info, *info.U32(0x10), false);
            if (base && !base->empty()) {
                link.target = *base;
                if (!suffix.empty()) {
                    if (link.target.back() != '\\') link.target += '\\';
                    link.target += suffix;
                }
            }
        }
        if (infoFlags & 0x02) {
            const std::uint32_t netOffset = *info.U32(0x14);
            if (netOffset >= 0x1C && info.Has(netOffset, 0x14)) {
                detail::ByteReader net(data + pos + netOffset, *infoSize - netOffset);
                const std::uint32_t netSize = *net.U32(0);
                if (netSize >= 0x14 && net.Has(0, netSize)) {
                    detail::ByteReader block(net.Data(), netSize);
                    auto name = StringAt(block, *block.U32(8), false);
                    if (name && !name->empty()) {
                        link.networkTarget = *name;
                        if (!suffix.empty()) {
                            if (link.networkTarget.back() != '\\') link.networkTarget += '\\';
                            link.networkTarget += suffix;
                        }
                    }
                }
            }
        }
        pos += *infoSize;
    }
    if (link.target.empty()) link.target = idListPath;

    // StringData in its fixed order; each is a count of characters, then the characters.
    std::string relativePath;
    const std::uint32_t order[] = {kHasName, kHasRelativePath, kHasWorkingDir, kHasArguments,
                                   kHasIconLocation};
    for (std::uint32_t bit : order) {
        if (!(flags & bit)) continue;
        auto count = r.U16(pos);
        if (!count) return std::nullopt;
        pos += 2;
        std::string text;
        if (unicode) {
            auto s = r.WChars(pos, *count);
            if (!s) return std::nullopt;
            text = Utf8ToCp1252(*s);
            pos += 2 * static_cast<std::size_t>(*count);
        } else {
            if (!r.Has(pos, *count)) return std::nullopt;
            text.assign(reinterpret_cast<const char*>(data + pos), *count);
            pos += *count;
        }
        // Some writers count the terminating NUL too; a reader of C strings stops there.
        if (auto nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
        if (bit == kHasName)
            link.description = text;
        else if (bit == kHasRelativePath)
            relativePath = text;
        else if (bit == kHasWorkingDir)
            link.workingDirectory = text;
    }
    if (link.target.empty() && link.networkTarget.empty())
        link.target = relativePath; // resolved against the link's folder by ReadShellLink
    return link;
}

} // namespace vexo::platform
