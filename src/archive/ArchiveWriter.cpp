// ArchiveWriter.cpp - entries and blocks in the order a reader walks them.
#include "archive/ArchiveWriter.h"

#include "archive/ArchiveReader.h"

#include "archive/Checksum.h"
#include "archive/Exceptions.h"
#include "archive/StreamIO.h"
#include "platform/PathLimits.h"

#include <limits>
#include <zlib.h>

namespace vexo::archive {
namespace {

constexpr std::int64_t kMaxSize = std::numeric_limits<std::int32_t>::max();

void PutBlockHead(std::vector<std::uint8_t>& block, std::int32_t length, std::uint32_t checksum) {
    PutInt32At(block.data(), length);
    PutInt32At(block.data() + 4, static_cast<std::int32_t>(checksum));
}

} // namespace

void CheckWriterBlockSize(std::int32_t blockSize) {
    if (blockSize < kMinWriterBlockSize || blockSize > kMaxHeaderBlockSize)
        throw EArchiver("Block size " + std::to_string(blockSize) + " outside " +
                        std::to_string(kMinWriterBlockSize) + " to " +
                        std::to_string(kMaxHeaderBlockSize) + " bytes, the sizes readers open");
}

void CheckStoredName(const std::string& name) {
    if (name.empty()) throw EArchiver("Empty stored name");
    if (name.size() > kMaxStoredName)
        throw EArchiver("Stored name of " + std::to_string(name.size()) + " bytes, over the " +
                        std::to_string(kMaxStoredName) +
                        " a host path can hold: " + name.substr(0, 60) + "...");
    if (const std::size_t part = platform::LongestName(name); part > kMaxStoredNamePart)
        throw EArchiver("Stored name with a part of " + std::to_string(part) + " bytes, over the " +
                        std::to_string(kMaxStoredNamePart) +
                        " of a file name: " + name.substr(0, 60) + (name.size() > 60 ? "..." : ""));
}

std::int64_t SmallestSegment(const std::string& comment) {
    return kHeaderFixedSize + static_cast<std::int64_t>(comment.size()) + kEntryFixedSize + 1 +
           kBlockHeadSize + 1;
}

std::uint8_t HeaderFlagsFor(const ArchiveWriterOptions& options) {
    std::uint8_t flags = kHeaderStored;
    if (options.Solid) flags |= kHeaderSolid;
    if (options.KeepKey) flags |= kHeaderKeepKey;
    return flags;
}

std::uint8_t FileEntryFlagsFor(const ArchiveWriterOptions& options) {
    return options.Encrypt ? kEntryStored | kEntryEncrypted : kEntryStored;
}

namespace {

// The plain payload (a zlib stream, or the bytes as they are) in the block's own form.
std::vector<std::uint8_t> FinishBlock(const std::uint8_t* plain, std::size_t size, bool stored,
                                      const PayloadEncoder& encrypt) {
    std::vector<std::uint8_t> block(kBlockHeadSize, 0);
    const std::uint32_t checksum = StoredChecksum(plain, size);
    if (encrypt) {
        const std::vector<std::uint8_t> payload = encrypt(std::span(plain, size));
        block.insert(block.end(), payload.begin(), payload.end());
    } else {
        block.insert(block.end(), plain, plain + size);
    }
    const std::size_t n = block.size() - kBlockHeadSize;
    if (n > static_cast<std::size_t>(kMaxSize)) throw EArchiver("Block payload too large");
    const auto length = static_cast<std::int32_t>(n);
    PutBlockHead(block, stored ? -length : length, checksum);
    return block;
}

} // namespace

std::vector<std::uint8_t> EncodeBlock(const std::uint8_t* data, std::size_t size, bool store,
                                      int level, const PayloadEncoder& encrypt) {
    if (!store) {
        uLongf packed = compressBound(static_cast<uLong>(size));
        std::vector<std::uint8_t> zlib(packed);
        int rc = compress2(zlib.data(), &packed, data, static_cast<uLong>(size), level);
        if (rc != Z_OK) throw EArchiver("zlib compression failed (" + std::to_string(rc) + ")");
        if (packed < size) return FinishBlock(zlib.data(), packed, false, encrypt);
    }
    // Stored: a negative length, the bytes unchanged; the checksum covers them all the same.
    return FinishBlock(data, size, true, encrypt);
}

std::vector<std::uint8_t> EncodeBlock(const ArchiveWriterOptions& options, const std::uint8_t* data,
                                      std::size_t size) {
    return EncodeBlock(data, size, options.Store, options.CompressionLevel, options.Encrypt);
}

ArchiveWriter::ArchiveWriter(platform::Stream& out, ArchiveWriterOptions options)
    : out_(out), options_(std::move(options)), start_(out.Position()) {
    CheckWriterBlockSize(options_.BlockSize);
    header_.ApplicationArea = options_.ApplicationArea;
    header_.Signature = kArchiveSignature;
    header_.Version = kHighestVersion;
    header_.ArchiveID = options_.ArchiveID;
    header_.BlockSize = options_.BlockSize;
    header_.Segment = 1;
    header_.Flags = HeaderFlagsFor(options_) | kHeaderFinalSegment;
    header_.UserData = options_.UserData;
    header_.Comment = options_.Comment;
    header_.EndOffset = static_cast<std::int32_t>(HeaderSize(header_));
    WriteHeader(out_, header_);
}

std::int32_t ArchiveWriter::RelativePosition() {
    std::int64_t rel = out_.Position() - start_;
    if (rel > kMaxSize)
        throw EArchiver("The archive outgrows 2 GiB, the limit of its 32-bit offsets");
    return static_cast<std::int32_t>(rel);
}

void ArchiveWriter::Account(const TFileEntry& entry) {
    for (TArchiveTotals* t : {&header_.ArchiveInfo, &header_.SegmentInfo}) {
        ++t->FileCount;
        t->Size += entry.FileSize;
        t->CompressedSize += entry.FileStoredSize;
    }
    header_.EndOffset = RelativePosition();
}

void ArchiveWriter::AddFile(const std::string& name, TDateTime date, std::int32_t attributes,
                            char installRule, platform::Stream& data) {
    CheckStoredName(name);
    std::int64_t size = data.Size() - data.Position();
    if (size > kMaxSize) throw EArchiver("File too large for the archive (over 2 GiB): " + name);
    TFileEntry entry;
    entry.Name = name;
    entry.Date = date;
    entry.Attributes = attributes;
    entry.Segment = 1;
    entry.Offset = RelativePosition();
    entry.Flags = FileEntryFlagsFor(options_) | kEntryLastPiece;
    entry.FileSize = entry.PieceSize = static_cast<std::int32_t>(size);
    entry.InstallRule = installRule;
    WriteFileEntry(out_, entry); // sizes are filled in once the blocks are written

    std::int64_t stored = 0;
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(options_.BlockSize));
    for (std::int64_t left = size; left > 0;) {
        auto n = static_cast<std::size_t>(std::min<std::int64_t>(left, options_.BlockSize));
        data.ReadBuffer(buffer.data(), n);
        auto block = EncodeBlock(options_, buffer.data(), n);
        out_.WriteBuffer(block.data(), block.size());
        stored += static_cast<std::int64_t>(block.size());
        left -= static_cast<std::int64_t>(n);
    }
    std::int64_t end = out_.Position();
    if (stored > kMaxSize) throw EArchiver("Stored data too large for the archive: " + name);
    entry.FileStoredSize = entry.PieceStoredSize = static_cast<std::int32_t>(stored);
    out_.SetPosition(start_ + entry.Offset);
    WriteFileEntry(out_, entry);
    out_.SetPosition(end);
    Account(entry);
}

void ArchiveWriter::AddFile(const std::string& name, TDateTime date, std::int32_t attributes,
                            char installRule, const std::vector<std::uint8_t>& data) {
    platform::MemoryStream source(data);
    AddFile(name, date, attributes, installRule, source);
}

void ArchiveWriter::AddFolder(const std::string& name, TDateTime date, std::int32_t attributes,
                              char installRule) {
    CheckStoredName(name);
    TFileEntry entry;
    entry.Name = name;
    entry.Date = date;
    entry.Attributes = attributes;
    entry.Segment = 1;
    entry.Offset = RelativePosition();
    entry.Flags = kEntryStored | kEntryFolder | kEntryLastPiece;
    entry.InstallRule = installRule;
    WriteFileEntry(out_, entry);
    Account(entry);
}

const TArchiveHeader& ArchiveWriter::Finish() {
    if (options_.Solid && header_.ArchiveInfo.FileCount != 1)
        throw EArchiver("A solid archive holds exactly one entry");
    std::int64_t end = out_.Position();
    out_.SetPosition(start_);
    WriteHeader(out_, header_);
    out_.SetPosition(end);
    return header_;
}

std::vector<std::uint8_t> MakeTagBlock(std::size_t size) {
    static const std::string kTexts = "<TD>INSTALAR.EXE\r\n<TD>\r\n";
    if (size != 0 && size < kTexts.size())
        throw Exception("Tag block smaller than its " + std::to_string(kTexts.size()) +
                        " bytes of texts");
    std::vector<std::uint8_t> tag(kTexts.begin(), kTexts.end());
    tag.resize(size == 0 ? kTexts.size() : size, 0);
    return tag;
}

} // namespace vexo::archive
