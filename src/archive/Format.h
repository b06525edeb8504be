// Format.h - the on-disk container: header, totals, user data, file entries, trailer, segments.
#pragma once

#include "archive/DateTime.h"
#include "platform/Stream.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vexo::archive {

inline constexpr std::int32_t kArchiveSignature = 4664;  // 0x00001238
inline constexpr std::int32_t kLocatorMagic = 123456789; // 0x075BCD15
inline constexpr std::int32_t kHighestVersion = 1;       // readers accept up to this
inline constexpr std::int32_t kHeaderFixedSize = 325;    // header size without the comment
inline constexpr std::int32_t kEntryFixedSize = 46;      // entry size without the name
inline constexpr std::int32_t kBlockHeadSize = 8;        // int32 length + uint32 checksum
inline constexpr std::size_t kApplicationAreaSize = 52;
inline constexpr std::size_t kUserDataSize = 132;
inline constexpr std::size_t kReservedSize = 64;
inline constexpr std::size_t kTotalsSize = 24;

// Header flag bits.
inline constexpr std::uint8_t kHeaderKeepKey = 0x01;
inline constexpr std::uint8_t kHeaderStored = 0x02;
inline constexpr std::uint8_t kHeaderSolid = 0x04;
inline constexpr std::uint8_t kHeaderReadOnly = 0x08;
inline constexpr std::uint8_t kHeaderFinalSegment = 0x10;

// Entry flag bits.
inline constexpr std::uint8_t kEntryStored = 0x01;
inline constexpr std::uint8_t kEntryFolder = 0x02;
inline constexpr std::uint8_t kEntryLastPiece = 0x04;
inline constexpr std::uint8_t kEntryEncrypted = 0x08;

struct TArchiveTotals {
    std::int32_t FileCount = 0;
    double Size = 0;           // uncompressed bytes (Extended on disk)
    double CompressedSize = 0; // stored bytes, block heads included (Extended on disk)
    bool operator==(const TArchiveTotals&) const = default;
};

using TUserData = std::array<std::uint8_t, kUserDataSize>;

struct TArchiveHeader {
    std::array<std::uint8_t, kApplicationAreaSize> ApplicationArea{};
    std::int32_t Signature = 0;
    std::int32_t Version = 0;
    std::int32_t ArchiveID = 0;
    std::int32_t BlockSize = 0;
    std::int32_t EndOffset = 0;
    std::uint16_t Segment = 0;
    std::uint8_t Flags = 0;
    TArchiveTotals ArchiveInfo;
    TArchiveTotals SegmentInfo;
    TUserData UserData{};
    std::array<std::uint8_t, kReservedSize> Reserved{};
    std::string Comment;
    bool operator==(const TArchiveHeader&) const = default;
};

struct TFileEntry {
    std::string Name; // Windows-1252, directories separated by "\"
    TDateTime Date = 0;
    std::int32_t Attributes = 0;
    std::int16_t Segment = 0;
    std::int32_t Offset = 0;
    std::int32_t StartPosition = 0;
    std::uint8_t Flags = 0;
    std::int32_t FileSize = 0;
    std::int32_t FileStoredSize = 0;
    std::int32_t PieceSize = 0;
    std::int32_t PieceStoredSize = 0;
    char InstallRule = 0;
    bool operator==(const TFileEntry&) const = default;
};

/// The header's size on disk: comment length + 325.
std::int64_t HeaderSize(const TArchiveHeader& header);
/// The entry's record size on disk (without its data): name length + 46.
std::int64_t EntrySize(const TFileEntry& entry);

void ReadTotals(platform::Stream& s, TArchiveTotals& totals);
void WriteTotals(platform::Stream& s, const TArchiveTotals& totals);

/// Reads the header at the stream's position. Clears `header` first; answers false (with the
/// rest of the record zero) when the signature differs from `expectedSignature`. Short reads
/// raise the stream's read error, and so does a comment length that is negative or beyond the
/// stream's end, before allocating. The caller rejects Version > 1.
bool ReadHeader(platform::Stream& s, TArchiveHeader& header,
                std::int32_t expectedSignature = kArchiveSignature);

/// Writes the header at the stream's position: `signature` in place of the one held, the
/// segment zero-extended, SegmentInfo's file count one higher when `addingFile`.
void WriteHeader(platform::Stream& s, const TArchiveHeader& header,
                 std::int32_t signature = kArchiveSignature, bool addingFile = false);

/// Reads one entry record; the stream is then at the entry's data. A name length that is
/// negative or beyond the stream's end raises the stream's read error before allocating.
void ReadFileEntry(platform::Stream& s, TFileEntry& entry);
void WriteFileEntry(platform::Stream& s, const TFileEntry& entry);

/// The locator trailer: the second int32 of the last 8 bytes when the first is the magic.
/// Otherwise, when the stream is a signed PE file, the locator right before its certificate
/// table, after at most 7 zero bytes of padding. Else 0 (also for a stream shorter than 8
/// bytes, and for damaged PE headers or a certificate entry that does not fit the file). The
/// stream's position is left anywhere.
std::int32_t FindArchiveStart(platform::Stream& s);
void WriteLocator(platform::Stream& s, std::int32_t archiveStart);

/// Archive start of a file by the start-offset rule: `sfxCodeSize` for a ".EXE" name when it
/// is above 0, else 0.
std::int32_t StartOffsetFor(std::string_view fileName, std::int32_t sfxCodeSize);

/// The parts a segment name is built from.
struct ArchiveNameParts {
    std::string Drive;     // "C:" or "\\server\share"
    std::string Directory; // with trailing "\", without the drive
    std::string BaseName;  // without extension and without a "-digits" suffix
    std::string Extension; // from the last ".", including it
};
ArchiveNameParts SplitArchiveFileName(std::string_view fileName);
/// Segment 1: drive + directory + base + extension; segment k >= 2: base + "." + (k-1) padded
/// with "0" to at least three digits.
std::string SegmentFileName(const ArchiveNameParts& parts, int segment);

} // namespace vexo::archive
