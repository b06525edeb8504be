// ArchiveWriter.cpp - entries and blocks in the order a reader walks them.
#include "archive/ArchiveWriter.h"

#include "archive/ArchiveReader.h"
#include "archive/BlockCompressor.h"
#include "archive/BlockPipeline.h"
#include "archive/Exceptions.h"
#include "archive/StreamIO.h"
#include "platform/PathLimits.h"

#include <limits>

namespace vexo::archive {
namespace {

constexpr std::int64_t kMaxSize = std::numeric_limits<std::int32_t>::max();

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

std::vector<std::uint8_t> EncodeBlock(const std::uint8_t* data, std::size_t size, bool store,
                                      int level, const PayloadEncoder& encrypt) {
    BlockCompressor compressor(level);
    return compressor.Encode(data, size, store, encrypt);
}

std::vector<std::uint8_t> EncodeBlock(const ArchiveWriterOptions& options, const std::uint8_t* data,
                                      std::size_t size) {
    return EncodeBlock(data, size, options.Store, options.CompressionLevel, options.Encrypt);
}

class ArchiveWriter::Sink final : public OrderedBlockWriter::Sink {
  public:
    explicit Sink(ArchiveWriter& writer) : writer_(writer) {}
    void BeginEntry(TFileEntry& entry) override { writer_.BeginEntry(entry); }
    void WriteBlock(TFileEntry&, const EncodedBlock& block) override {
        writer_.WriteBlock(block.bytes);
    }
    void EndEntry(TFileEntry& entry) override { writer_.EndEntry(entry); }

  private:
    ArchiveWriter& writer_;
};

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
    sink_ = std::make_unique<Sink>(*this);
    blocks_ = std::make_unique<OrderedBlockWriter>(options_, *sink_);
}

ArchiveWriter::~ArchiveWriter() = default;

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
    entry.Flags = FileEntryFlagsFor(options_) | kEntryLastPiece;
    entry.FileSize = entry.PieceSize = static_cast<std::int32_t>(size);
    entry.InstallRule = installRule;
    blocks_->Begin(std::move(entry));
    blocks_->Blocks(data, size, options_.BlockSize);
    blocks_->End();
}

void ArchiveWriter::BeginEntry(TFileEntry& entry) {
    entry.Offset = RelativePosition();
    WriteFileEntry(out_, entry); // sizes are filled in once the blocks are written
    stored_ = 0;
}

void ArchiveWriter::WriteBlock(const std::vector<std::uint8_t>& block) {
    out_.WriteBuffer(block.data(), block.size());
    stored_ += static_cast<std::int64_t>(block.size());
}

void ArchiveWriter::EndEntry(TFileEntry& entry) {
    if ((entry.Flags & kEntryFolder) == 0) {
        if (stored_ > kMaxSize)
            throw EArchiver("Stored data too large for the archive: " + entry.Name);
        entry.FileStoredSize = entry.PieceStoredSize = static_cast<std::int32_t>(stored_);
        const std::int64_t end = out_.Position();
        out_.SetPosition(start_ + entry.Offset);
        WriteFileEntry(out_, entry);
        out_.SetPosition(end);
    }
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
    entry.Flags = kEntryStored | kEntryFolder | kEntryLastPiece;
    entry.InstallRule = installRule;
    blocks_->Begin(std::move(entry));
    blocks_->End();
}

const TArchiveHeader& ArchiveWriter::Finish() {
    blocks_->Flush();
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
