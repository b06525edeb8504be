// Format.cpp - readers and writers of the container records, field by field.
#include "archive/Format.h"

#include "archive/Extended.h"
#include "archive/PathRoutines.h"
#include "archive/StreamIO.h"
#include "platform/PeImage.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace vexo::archive {

std::int64_t HeaderSize(const TArchiveHeader& header) {
    return kHeaderFixedSize + static_cast<std::int64_t>(header.Comment.size());
}

std::int64_t EntrySize(const TFileEntry& entry) {
    return kEntryFixedSize + static_cast<std::int64_t>(entry.Name.size());
}

void ReadTotals(platform::Stream& s, TArchiveTotals& totals) {
    totals.FileCount = ReadInt32(s);
    totals.Size = ExtendedToDouble(ReadExtended(s).data());
    totals.CompressedSize = ExtendedToDouble(ReadExtended(s).data());
}

void WriteTotals(platform::Stream& s, const TArchiveTotals& totals) {
    WriteInt32(s, totals.FileCount);
    WriteExtended(s, DoubleToExtended(totals.Size));
    WriteExtended(s, DoubleToExtended(totals.CompressedSize));
}

bool ReadHeader(platform::Stream& s, TArchiveHeader& header, std::int32_t expectedSignature) {
    header = TArchiveHeader{};
    s.ReadBuffer(header.ApplicationArea.data(), header.ApplicationArea.size());
    header.Signature = ReadInt32(s);
    if (header.Signature != expectedSignature) {
        header = TArchiveHeader{};
        return false;
    }
    header.Version = ReadInt32(s);
    header.ArchiveID = ReadInt32(s);
    header.BlockSize = ReadInt32(s);
    header.EndOffset = ReadInt32(s);
    header.Segment = static_cast<std::uint16_t>(ReadInt32(s) & 0xFFFF);
    header.Flags = ReadByte(s);
    ReadTotals(s, header.ArchiveInfo);
    ReadTotals(s, header.SegmentInfo);
    s.ReadBuffer(header.UserData.data(), header.UserData.size());
    s.ReadBuffer(header.Reserved.data(), header.Reserved.size());
    header.Comment = ReadLongString(s, "comentario");
    return true;
}

void WriteHeader(platform::Stream& s, const TArchiveHeader& header, std::int32_t signature,
                 bool addingFile) {
    s.WriteBuffer(header.ApplicationArea.data(), header.ApplicationArea.size());
    WriteInt32(s, signature);
    WriteInt32(s, header.Version);
    WriteInt32(s, header.ArchiveID);
    WriteInt32(s, header.BlockSize);
    WriteInt32(s, header.EndOffset);
    WriteInt32(s, static_cast<std::int32_t>(header.Segment));
    WriteByte(s, header.Flags);
    WriteTotals(s, header.ArchiveInfo);
    TArchiveTotals segmentInfo = header.SegmentInfo;
    if (addingFile) ++segmentInfo.FileCount;
    WriteTotals(s, segmentInfo);
    s.WriteBuffer(header.UserData.data(), header.UserData.size());
    s.WriteBuffer(header.Reserved.data(), header.Reserved.size());
    WriteLongString(s, header.Comment);
}

void ReadFileEntry(platform::Stream& s, TFileEntry& entry) {
    entry.Name = ReadLongString(s, "nombre");
    entry.Date = ExtendedToDouble(ReadExtended(s).data());
    entry.Attributes = ReadInt32(s);
    entry.Segment = ReadWord(s);
    entry.Offset = ReadInt32(s);
    entry.StartPosition = ReadInt32(s);
    entry.Flags = ReadByte(s);
    entry.FileSize = ReadInt32(s);
    entry.FileStoredSize = ReadInt32(s);
    entry.PieceSize = ReadInt32(s);
    entry.PieceStoredSize = ReadInt32(s);
    entry.InstallRule = static_cast<char>(ReadByte(s));
}

void WriteFileEntry(platform::Stream& s, const TFileEntry& entry) {
    WriteLongString(s, entry.Name);
    WriteExtended(s, DoubleToExtended(entry.Date));
    WriteInt32(s, entry.Attributes);
    WriteWord(s, entry.Segment);
    WriteInt32(s, entry.Offset);
    WriteInt32(s, entry.StartPosition);
    WriteByte(s, entry.Flags);
    WriteInt32(s, entry.FileSize);
    WriteInt32(s, entry.FileStoredSize);
    WriteInt32(s, entry.PieceSize);
    WriteInt32(s, entry.PieceStoredSize);
    WriteByte(s, static_cast<std::uint8_t>(entry.InstallRule));
}

namespace {

constexpr std::int64_t kLocatorSize = 8;
// The certificate table starts on an 8-byte boundary: signing pads the file up to it.
constexpr std::int64_t kMaxCertificatePadding = 7;

std::int32_t LittleEndian32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
        (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24));
}

// The locator that ends at `end`, or ends before it followed by nothing but zero bytes of
// padding; 0 without one. The magic holds no zero byte, so the first match is the only one.
std::int32_t LocatorBefore(platform::Stream& s, std::int64_t end) {
    std::uint8_t tail[kLocatorSize + kMaxCertificatePadding];
    const std::int64_t count = std::min<std::int64_t>(end, sizeof tail);
    if (count < kLocatorSize) return 0;
    s.SetPosition(end - count);
    s.ReadBuffer(tail, static_cast<std::size_t>(count));
    for (std::int64_t padding = 0; padding + kLocatorSize <= count; ++padding) {
        const std::uint8_t* at = tail + count - padding - kLocatorSize;
        if (LittleEndian32(at) == kLocatorMagic) return LittleEndian32(at + 4);
        if (tail[count - padding - 1] != 0) break;
    }
    return 0;
}

} // namespace

std::int32_t FindArchiveStart(platform::Stream& s) {
    const std::int64_t size = s.Size();
    if (size < kLocatorSize) return 0;
    s.SetPosition(size - kLocatorSize);
    const std::int32_t magic = ReadInt32(s);
    const std::int32_t start = ReadInt32(s);
    if (magic == kLocatorMagic) return start;
    // A signed program carries its certificate table after everything else, the locator
    // included.
    const auto certificates = platform::FindCertificateTable(s);
    return certificates ? LocatorBefore(s, certificates->offset) : 0;
}

void WriteLocator(platform::Stream& s, std::int32_t archiveStart) {
    WriteInt32(s, kLocatorMagic);
    WriteInt32(s, archiveStart);
}

std::int32_t StartOffsetFor(std::string_view fileName, std::int32_t sfxCodeSize) {
    return sfxCodeSize > 0 && IsExeFile(fileName) ? sfxCodeSize : 0;
}

ArchiveNameParts SplitArchiveFileName(std::string_view fileName) {
    ArchiveNameParts parts;
    parts.Drive = ExtractFileDrive(fileName);
    parts.Directory = ExtractFilePath(fileName);
    if (parts.Directory.compare(0, parts.Drive.size(), parts.Drive) == 0)
        parts.Directory.erase(0, parts.Drive.size());
    parts.Extension = ExtractFileExt(fileName);
    std::string name = ExtractFileName(fileName);
    parts.BaseName = name.substr(0, name.size() - parts.Extension.size());
    // "DISK-3" is the third disk of "DISK": drop a "-digits" suffix.
    std::size_t i = parts.BaseName.size();
    while (i > 0 && std::isdigit(static_cast<unsigned char>(parts.BaseName[i - 1])))
        --i;
    if (i < parts.BaseName.size() && i > 0 && parts.BaseName[i - 1] == '-')
        parts.BaseName.erase(i - 1);
    return parts;
}

std::string SegmentFileName(const ArchiveNameParts& parts, int segment) {
    if (segment < 2) return parts.Drive + parts.Directory + parts.BaseName + parts.Extension;
    char number[16];
    std::snprintf(number, sizeof number, "%03d", segment - 1);
    return parts.Drive + parts.Directory + parts.BaseName + "." + number;
}

} // namespace vexo::archive
