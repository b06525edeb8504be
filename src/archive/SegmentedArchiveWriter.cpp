// SegmentedArchiveWriter.cpp - pieces of files at block boundaries across segment files.
#include "archive/SegmentedArchiveWriter.h"

#include "archive/BlockPipeline.h"
#include "archive/Exceptions.h"
#include "archive/Messages.h"
#include "archive/StreamIO.h"
#include "archive/TextFormat.h"
#include "platform/FileSystem.h"

#include <limits>

namespace vexo::archive {
namespace {
constexpr std::int64_t kMaxSize = std::numeric_limits<std::int32_t>::max();
constexpr int kMaxSegments = 0xFFFF;
} // namespace

class SegmentedArchiveWriter::Sink final : public OrderedBlockWriter::Sink {
  public:
    explicit Sink(SegmentedArchiveWriter& writer) : writer_(writer) {}
    void BeginEntry(TFileEntry& entry) override { writer_.BeginEntry(entry); }
    void WriteBlock(TFileEntry& entry, const EncodedBlock& block) override {
        writer_.WriteBlock(entry, block);
    }
    void EndEntry(TFileEntry& entry) override { writer_.EndEntry(entry); }

  private:
    SegmentedArchiveWriter& writer_;
};

SegmentedArchiveWriter::SegmentedArchiveWriter(std::string fileName, ArchiveWriterOptions options,
                                               std::int64_t segmentSize)
    : parts_(SplitArchiveFileName(fileName)), options_(std::move(options)),
      segmentSize_(segmentSize) {
    CheckWriterBlockSize(options_.BlockSize);
    if (segmentSize_ > kMaxSize) segmentSize_ = kMaxSize;
    header_.ApplicationArea = options_.ApplicationArea;
    header_.Signature = kArchiveSignature;
    header_.Version = kHighestVersion;
    header_.ArchiveID = options_.ArchiveID;
    header_.BlockSize = options_.BlockSize;
    header_.UserData = options_.UserData;
    header_.Comment = options_.Comment;
    if (segmentSize_ <= HeaderSize(header_) + kEntryFixedSize)
        throw EArchiver("Segment size too small for a header and an entry");
    StartSegment();
    sink_ = std::make_unique<Sink>(*this);
    blocks_ = std::make_unique<OrderedBlockWriter>(options_, *sink_);
}

SegmentedArchiveWriter::~SegmentedArchiveWriter() = default;

std::int32_t SegmentedArchiveWriter::Position() {
    return static_cast<std::int32_t>(out_->Position());
}

void SegmentedArchiveWriter::StartSegment() {
    if (static_cast<int>(names_.size()) >= kMaxSegments)
        throw EArchiver("Too many segments for 16-bit segment numbers");
    const int k = static_cast<int>(names_.size()) + 1;
    names_.push_back(SegmentFileName(parts_, k));
    segments_.emplace_back(names_.back());
    out_ = &segments_.back().Stream();
    header_.Segment = static_cast<std::uint16_t>(k);
    header_.Flags = HeaderFlagsFor(options_);
    header_.SegmentInfo = {};
    header_.ArchiveInfo = archive_;
    header_.EndOffset = static_cast<std::int32_t>(HeaderSize(header_));
    WriteHeader(*out_, header_);
}

void SegmentedArchiveWriter::EndSegment(bool final) {
    header_.ArchiveInfo = archive_;
    if (final) header_.Flags |= kHeaderFinalSegment;
    header_.EndOffset = Position();
    out_->SetPosition(0);
    WriteHeader(*out_, header_);
    out_ = nullptr;
    segments_.back().Close();
}

bool SegmentedArchiveWriter::Fits(std::int64_t bytes) {
    return out_->Position() + bytes <= segmentSize_;
}

void SegmentedArchiveWriter::BeginPiece(TFileEntry& entry) {
    entry.Segment = static_cast<std::int16_t>(header_.Segment);
    entry.Offset = Position();
    entry.PieceSize = 0;
    entry.PieceStoredSize = 0;
    WriteFileEntry(*out_, entry);
    pieces_.push_back({header_.Segment, entry.Offset});
}

void SegmentedArchiveWriter::EndPiece(TFileEntry& entry, bool last) {
    if (last) entry.Flags |= kEntryLastPiece;
    const std::int64_t end = out_->Position();
    out_->SetPosition(entry.Offset);
    WriteFileEntry(*out_, entry);
    out_->SetPosition(end);
    ++header_.SegmentInfo.FileCount;
    header_.SegmentInfo.Size += entry.PieceSize;
    header_.EndOffset = Position();
}

void SegmentedArchiveWriter::PatchFileStoredSize(const TFileEntry& entry) {
    // FileStoredSize lies 33 bytes past the name in every piece's record.
    const std::int64_t field = 33 + static_cast<std::int64_t>(entry.Name.size());
    for (const Piece& piece : pieces_) {
        if (piece.segment == header_.Segment) {
            const std::int64_t end = out_->Position();
            out_->SetPosition(piece.offset + field);
            WriteInt32(*out_, entry.FileStoredSize);
            out_->SetPosition(end);
        } else {
            auto earlier = platform::OpenFile(
                segments_[static_cast<std::size_t>(piece.segment - 1)].TemporaryPath(),
                platform::OpenMode::ReadWrite);
            earlier->SetPosition(piece.offset + field);
            WriteInt32(*earlier, entry.FileStoredSize);
        }
    }
}

void SegmentedArchiveWriter::AddFile(const std::string& name, TDateTime date,
                                     std::int32_t attributes, char installRule,
                                     platform::Stream& data) {
    CheckStoredName(name);
    const std::int64_t size = data.Size() - data.Position();
    if (size > kMaxSize) throw EArchiver("File too large for the archive (over 2 GiB): " + name);
    TFileEntry entry;
    entry.Name = name;
    entry.Date = date;
    entry.Attributes = attributes;
    entry.Flags = FileEntryFlagsFor(options_);
    entry.FileSize = static_cast<std::int32_t>(size);
    entry.InstallRule = installRule;
    blocks_->Begin(std::move(entry));
    blocks_->Blocks(data, size, options_.BlockSize);
    blocks_->End();
}

void SegmentedArchiveWriter::OpenPiece(TFileEntry& entry, std::int64_t firstBlock) {
    if (!Fits(current_.record + firstBlock)) {
        EndSegment(false);
        StartSegment();
        if (!Fits(current_.record + firstBlock))
            throw EArchiver("Segment size too small for an entry and one block");
    }
    entry.StartPosition = static_cast<std::int32_t>(current_.written);
    BeginPiece(entry);
    current_.pieceOpen = true;
}

void SegmentedArchiveWriter::BeginEntry(TFileEntry& entry) {
    if ((entry.Flags & kEntryFolder) != 0) {
        if (!Fits(EntrySize(entry))) {
            EndSegment(false);
            StartSegment();
        }
        BeginPiece(entry);
        ++archive_.FileCount; // after the segment change, whose header counts earlier entries
        return;
    }
    ++archive_.FileCount;
    archive_.Size += static_cast<double>(entry.FileSize);
    pieces_.clear();
    current_ = Current{};
    current_.record = EntrySize(entry);
    if (entry.FileSize == 0) OpenPiece(entry, 0);
}

void SegmentedArchiveWriter::WriteBlock(TFileEntry& entry, const EncodedBlock& block) {
    const auto blockSize = static_cast<std::int64_t>(block.bytes.size());
    if (current_.pieceOpen && !Fits(blockSize)) {
        EndPiece(entry, false);
        current_.pieceOpen = false;
        EndSegment(false);
        StartSegment();
    }
    if (!current_.pieceOpen) OpenPiece(entry, blockSize);
    out_->WriteBuffer(block.bytes.data(), block.bytes.size());
    entry.PieceStoredSize += static_cast<std::int32_t>(blockSize);
    entry.PieceSize += static_cast<std::int32_t>(block.plainSize);
    header_.SegmentInfo.CompressedSize += static_cast<double>(blockSize);
    archive_.CompressedSize += static_cast<double>(blockSize);
    current_.written += static_cast<std::int64_t>(block.plainSize);
    current_.stored += blockSize;
}

void SegmentedArchiveWriter::EndEntry(TFileEntry& entry) {
    if ((entry.Flags & kEntryFolder) != 0) return EndPiece(entry, true);
    if (current_.stored > kMaxSize)
        throw EArchiver("Stored data too large for the archive: " + entry.Name);
    entry.FileStoredSize = static_cast<std::int32_t>(current_.stored);
    EndPiece(entry, true);
    PatchFileStoredSize(entry);
}

void SegmentedArchiveWriter::AddFile(const std::string& name, TDateTime date,
                                     std::int32_t attributes, char installRule,
                                     const std::vector<std::uint8_t>& data) {
    platform::MemoryStream source(data);
    AddFile(name, date, attributes, installRule, source);
}

void SegmentedArchiveWriter::AddFolder(const std::string& name, TDateTime date,
                                       std::int32_t attributes, char installRule) {
    CheckStoredName(name);
    TFileEntry entry;
    entry.Name = name;
    entry.Date = date;
    entry.Attributes = attributes;
    entry.Flags = kEntryStored | kEntryFolder;
    entry.InstallRule = installRule;
    blocks_->Begin(std::move(entry));
    blocks_->End();
}

void SegmentedArchiveWriter::Finish() {
    if (finished_) return;
    blocks_->Flush();
    if (options_.Solid && archive_.FileCount != 1)
        throw EArchiver("A solid archive holds exactly one entry");
    EndSegment(true);
    finished_ = true;
    // The segments are one set: each header counts what came before and the files share the
    // archive's ID. Put into place one by one as they were completed, a failed build would
    // leave new segments among the old set's, and neither set would open; so all of them wait
    // for the whole build.
    TMessages messages;
    for (std::size_t i = 0; i < segments_.size(); ++i) {
        if (!segments_[i].Commit()) throw EArchiver(Format(messages.CannotCreateFile, names_[i]));
    }
    segments_.clear();
}

} // namespace vexo::archive
