// SegmentedArchiveWriter.h - writes an archive as several segment files of bounded size.
#pragma once

#include "archive/ArchiveWriter.h"
#include "archive/Format.h"
#include "platform/ReplacingFile.h"
#include "platform/Stream.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vexo::archive {

struct EncodedBlock;

/// Segment k of `fileName` is named by SegmentFileName. A file whose blocks do not fit in the
/// current segment is split into pieces at block boundaries: one entry per piece, the last
/// piece flagged. Every header carries the totals written so far; the last one carries the
/// whole archive's totals and the final-segment flag. Blocks are compressed on worker threads
/// as by ArchiveWriter; entries reach the files in order, all of them by the end of Finish.
/// Each segment is written under a temporary name beside its own; Finish renames them all into
/// place, so a build that fails or is stopped leaves the previous set as it was.
class SegmentedArchiveWriter {
  public:
    /// `segmentSize` is the largest size of a segment file; it must hold a header, an entry
    /// and one block.
    SegmentedArchiveWriter(std::string fileName, ArchiveWriterOptions options,
                           std::int64_t segmentSize);
    ~SegmentedArchiveWriter();
    SegmentedArchiveWriter(const SegmentedArchiveWriter&) = delete;
    SegmentedArchiveWriter& operator=(const SegmentedArchiveWriter&) = delete;

    void AddFile(const std::string& name, TDateTime date, std::int32_t attributes, char installRule,
                 platform::Stream& data);
    void AddFile(const std::string& name, TDateTime date, std::int32_t attributes, char installRule,
                 const std::vector<std::uint8_t>& data);
    void AddFolder(const std::string& name, TDateTime date, std::int32_t attributes,
                   char installRule);
    /// Writes the last header and puts every segment file in its place. A rename that fails
    /// raises EArchiver with the creation text naming that segment.
    void Finish();

    /// The segment files' names so far, segment 1 first.
    const std::vector<std::string>& SegmentNames() const { return names_; }

  private:
    class Sink;
    struct Piece {
        int segment;
        std::int32_t offset;
    };
    /// The file whose blocks are being written.
    struct Current {
        std::int64_t record = 0; // size of its entry record
        std::int64_t written = 0;
        std::int64_t stored = 0;
        bool pieceOpen = false;
    };
    void BeginEntry(TFileEntry& entry);
    void WriteBlock(TFileEntry& entry, const EncodedBlock& block);
    void EndEntry(TFileEntry& entry);
    void OpenPiece(TFileEntry& entry, std::int64_t firstBlock);
    void StartSegment();
    void EndSegment(bool final);
    /// Starts a new segment unless `bytes` more fit into the current one.
    bool Fits(std::int64_t bytes);
    void BeginPiece(TFileEntry& entry);
    void EndPiece(TFileEntry& entry, bool last);
    void PatchFileStoredSize(const TFileEntry& entry);
    std::int32_t Position();

    ArchiveNameParts parts_;
    ArchiveWriterOptions options_;
    std::int64_t segmentSize_;
    std::vector<platform::ReplacingFile> segments_; // beside names_, until Finish
    platform::Stream* out_ = nullptr;               // the last segment's, while it is written
    TArchiveHeader header_;
    TArchiveTotals archive_;
    std::vector<std::string> names_;
    std::vector<Piece> pieces_;
    Current current_;
    bool finished_ = false;
    std::unique_ptr<Sink> sink_;
    std::unique_ptr<OrderedBlockWriter> blocks_;
};

} // namespace vexo::archive
