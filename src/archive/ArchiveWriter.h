// ArchiveWriter.h - writes archives and self-extracting files for the package builder.
#pragma once

#include "archive/Format.h"
#include "platform/Stream.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace vexo::archive {

/// Turns the plain payload of a block into the payload written for an encrypted entry. The
/// archive layer has no cipher of its own; the caller hands one in. Called from several
/// compressing threads at once.
using PayloadEncoder =
    std::function<std::vector<std::uint8_t>(std::span<const std::uint8_t> plain)>;

/// The compression levels a block may be made with: 1 is the fastest, 12 the smallest.
inline constexpr int kMinCompressionLevel = 1;
inline constexpr int kMaxCompressionLevel = 12;
/// The builder's level: its archives are no larger than those of the common zip tools at
/// their best, at a fraction of their time.
inline constexpr int kDefaultCompressionLevel = 10;

struct ArchiveWriterOptions {
    std::int32_t BlockSize = 65536; // file data per block
    bool Store = false;             // never compress
    int CompressionLevel = kDefaultCompressionLevel;
    /// Threads that compress blocks; 0 is one per hardware thread. The archive's bytes do
    /// not depend on it.
    int Threads = 0;
    /// Called on the writer's thread as each block is written, with the file bytes it holds.
    std::function<void(std::int64_t plainBytes)> Progress;
    std::int32_t ArchiveID = 0;
    std::string Comment;
    std::array<std::uint8_t, kApplicationAreaSize> ApplicationArea{};
    TUserData UserData{};
    /// When set, every file entry is flagged encrypted and the payload of each of its blocks
    /// goes through it; the block checksum stays that of the plain payload.
    PayloadEncoder Encrypt;
    /// Header flag: the archive holds one entry that is itself a complete archive.
    bool Solid = false;
    /// Header flag: readers keep the key from one operation to the next.
    bool KeepKey = false;
};

/// The limits the writers keep so that their archives open with the readers: the smallest
/// block size the component's own setter takes, and the reader's largest (kMaxHeaderBlockSize).
inline constexpr std::int32_t kMinWriterBlockSize = 1024;
/// The longest part of a stored name, and the longest stored name, in bytes: no host creates
/// a longer file name, and no host path holds a longer name.
inline constexpr std::size_t kMaxStoredNamePart = 255;
inline constexpr std::size_t kMaxStoredName = 4095;

/// Raises EArchiver naming the limit for block sizes outside [kMinWriterBlockSize,
/// kMaxHeaderBlockSize].
void CheckWriterBlockSize(std::int32_t blockSize);
/// Raises EArchiver for an empty stored name, or one beyond the name limits above.
void CheckStoredName(const std::string& name);
/// The smallest segment a segmented archive with this comment can be written in: its header,
/// one entry record and one block of one byte.
std::int64_t SmallestSegment(const std::string& comment);

/// The header flags the options ask for, besides the final-segment mark.
std::uint8_t HeaderFlagsFor(const ArchiveWriterOptions& options);
/// The entry flags of a file with data under these options (the last-piece mark aside).
std::uint8_t FileEntryFlagsFor(const ArchiveWriterOptions& options);

/// One block as it is written: int32 length (negative for stored bytes), uint32 stored
/// checksum of the payload as written, then the payload (a zlib stream or the bytes as they
/// are). Compression that does not shrink the block stores it. With `encrypt` the payload is
/// what it makes of the plain one, and the length counts the encrypted bytes. The same bytes
/// and level always give the same block.
std::vector<std::uint8_t> EncodeBlock(const std::uint8_t* data, std::size_t size, bool store,
                                      int level, const PayloadEncoder& encrypt = {});
/// A block of file data as the options ask for it.
std::vector<std::uint8_t> EncodeBlock(const ArchiveWriterOptions& options, const std::uint8_t* data,
                                      std::size_t size);

class OrderedBlockWriter;

/// Writes one single-segment archive at the stream's current position (the archive start):
/// a provisional header, then each entry followed by its blocks; Finish rewrites the header
/// with the totals and EndOffset. Blocks are compressed on worker threads while later files
/// are read: an entry and its blocks reach the stream some time after AddFile returns, and
/// all of them by the end of Finish.
class ArchiveWriter {
  public:
    ArchiveWriter(platform::Stream& out, ArchiveWriterOptions options);
    ~ArchiveWriter();
    ArchiveWriter(const ArchiveWriter&) = delete;
    ArchiveWriter& operator=(const ArchiveWriter&) = delete;

    /// Adds the remaining bytes of `data` as one file, reading them before it returns.
    /// Raises EArchiver when the file or the archive would outgrow the format's 32-bit sizes
    /// (the archive's limit may show only in a later call, when the entry is written).
    void AddFile(const std::string& name, TDateTime date, std::int32_t attributes, char installRule,
                 platform::Stream& data);
    void AddFile(const std::string& name, TDateTime date, std::int32_t attributes, char installRule,
                 const std::vector<std::uint8_t>& data);
    /// An empty folder: an entry without data.
    void AddFolder(const std::string& name, TDateTime date, std::int32_t attributes,
                   char installRule);

    /// Rewrites the header and leaves the stream just past the last entry. A solid archive
    /// must hold exactly one entry (EArchiver otherwise).
    const TArchiveHeader& Finish();

    const TArchiveHeader& Header() const { return header_; }
    std::int64_t ArchiveStart() const { return start_; }

  private:
    class Sink;
    std::int32_t RelativePosition();
    void Account(const TFileEntry& entry);
    void BeginEntry(TFileEntry& entry);
    void WriteBlock(const std::vector<std::uint8_t>& block);
    void EndEntry(TFileEntry& entry);

    platform::Stream& out_;
    ArchiveWriterOptions options_;
    TArchiveHeader header_;
    std::int64_t start_;
    std::int64_t stored_ = 0; // of the entry being written
    std::unique_ptr<Sink> sink_;
    std::unique_ptr<OrderedBlockWriter> blocks_;
};

/// The tag block between the program image and the archive: the builder's texts
/// ("<TD>INSTALAR.EXE", "<TD>") padded with zeros to `size` bytes (at least their length;
/// 0 means exactly their length).
std::vector<std::uint8_t> MakeTagBlock(std::size_t size);

} // namespace vexo::archive
