// Extractor.h - TCustomExtractor and TExtractor: walk the entries of an archive and restore
// them as files, following the restore policy and the segments of a multi-segment archive.
#pragma once

#include "archive/ArchiverRoot.h"
#include "archive/FileRoutines.h"
#include "archive/Messages.h"
#include "extract/KnownBlocks.h"
#include "extract/RestorePolicy.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>

namespace vexo::extract {

class TBlowFish;
class Inflater;
class BlockPrefetcher;
class BlockCursor;
struct BlockHead;

/// The first entry whose blocks failed the whole-archive check, and why.
struct BlockCheckFailure {
    archive::TFileEntry entry;
    std::string message; // the failure's own text (checksum, key, read error)
    bool badKey = false; // the checksum failed on an encrypted entry
};

class TCustomExtractor : public archive::TArchiverRoot {
  public:
    TCustomExtractor();
    ~TCustomExtractor() override;

    std::string ClassName() const override { return "TCustomExtractor"; }

    // Properties.
    const std::string& ExtractPath() const { return extractPath_; }
    void SetExtractPath(const std::string& value) { extractPath_ = value; }
    TRestoreAction RestoreAction() const { return restoreAction_; }
    void SetRestoreAction(TRestoreAction value) { restoreAction_ = value; }
    archive::TExtrMessages& Messages();
    const archive::TExtrMessages& Messages() const;
    bool IsSolid() const { return isSolid_; }
    bool OverwriteAll() const { return overwriteAll_; }
    /// The reader of a self-extractor's sizes that each ".EXE" opened asks first (see
    /// SetStartOffsetFor). Not owned: the reference empties itself when the reader goes.
    std::shared_ptr<archive::TCustomSFXGenerator> SFXGenerator() const {
        return sfxGenerator_.lock();
    }
    void SetSFXGenerator(const std::shared_ptr<archive::TCustomSFXGenerator>& value) {
        sfxGenerator_ = value;
    }

    void Assign(const archive::TArchiverRoot& source) override;

    // Operations.
    /// Extracts every entry into ExtractPath. Does nothing while busy.
    void ExtractAll();
    /// Walks the entries without decoding data, reporting each to OnEnumeration.
    void EnumerateArchive();
    /// One operation for the entry whose record lies at `entryOffset` in segment `segment`,
    /// restored to `destFile`; `total` is the operation's total when it has none.
    void ExtractEntryAt(std::uint16_t segment, std::int32_t entryOffset, std::int32_t total,
                        const std::string& destFile);

    /// Reads and checks every block of every entry without writing anything; `onFailure` hears
    /// of each entry that fails, and the run goes on with the next one. OperationStatus is 1
    /// when the walk completed (failures included).
    void TestArchive(const std::function<void(const archive::TFileEntry& FileEntry,
                                              const std::exception& E)>& onFailure);

    /// Reads every block of every entry and checks its checksum (after decryption when the
    /// key is already held; encrypted entries are passed over otherwise), without decompressing
    /// or writing anything. \returns the first failure, or nothing for a sound archive (and
    /// when busy). Its own operation, as TestArchive.
    std::optional<BlockCheckFailure> VerifyArchiveBlocks();
    /// Whether ExtractAll runs that check before its first entry and ends, writing nothing,
    /// with the failure's text and the entry's name when it fails. Off by default.
    bool VerifyBeforeExtract() const { return verifyBeforeExtract_; }
    void SetVerifyBeforeExtract(bool value) { verifyBeforeExtract_ = value; }

    /// Directory an entry goes to (without its file name).
    std::string ResolveDestination(const archive::TFileEntry& entry);

    // Events.
    std::function<void(archive::TArchiverRoot& Sender, const archive::TFileEntry& FileEntry)>
        OnEnumeration;
    std::function<void(archive::TArchiverRoot& Sender, const archive::TFileEntry& FileEntry,
                       std::string& DestPath, bool& Accept)>
        OnExtractFile;
    std::function<void(archive::TArchiverRoot& Sender, int Index, std::string& DestPath,
                       bool& Accept)>
        OnExtractFileByIndex;
    std::function<void(archive::TArchiverRoot& Sender, const archive::TFileEntry& FileEntry,
                       const std::string& DestPath)>
        OnFileExtracted;
    std::function<bool(archive::TArchiverRoot& Sender, std::uint8_t* DestBlock, int& DestSize,
                       const std::uint8_t* SrcBlock, int SrcSize)>
        OnUncompressBlock;
    std::function<void(archive::TArchiverRoot& Sender, std::uint8_t* DestBlock,
                       const std::uint8_t* SrcBlock, int& DestSize, int SrcSize)>
        OnDecryptBlock;
    std::function<void(archive::TArchiverRoot& Sender, int Segment, std::string& Drive)>
        OnInsertDisk;
    std::function<void(archive::TArchiverRoot& Sender, std::string& Drive)> OnInsertLastDisk;
    std::function<void(archive::TArchiverRoot& Sender, int Segment, std::string& FileName)>
        OnLocateSegment;
    std::function<void(archive::TArchiverRoot& Sender, std::string& Path)> OnLocateLastSegment;
    std::function<void(archive::TArchiverRoot& Sender)> OnSegmentChanged;

    /// Whether stored names with a drive or a "\\server\share" prefix may leave ExtractPath
    /// (the component's behaviour). The command-line tool turns this off by default.
    bool AllowAbsolutePaths() const { return allowAbsolutePaths_; }
    void SetAllowAbsolutePaths(bool value) { allowAbsolutePaths_ = value; }
    /// Whether files may be written through a link (a symbolic link, a junction or another
    /// reparse point) met in a folder below ExtractPath, as Windows follows them (the
    /// installer's default). Refused, such an entry fails through the error handling.
    bool FollowLinks() const { return followLinks_; }
    void SetFollowLinks(bool value) { followLinks_ = value; }

  protected:
    explicit TCustomExtractor(std::unique_ptr<archive::TExtrMessages> messages);

    // Overrides of the root.
    void StartOperation() override;
    void AfterOpen() override;
    void BeforeClose() override;
    void PrepareArchive() override;
    platform::OpenMode GetOpenMode() const override { return platform::OpenMode::ReadDenyWrite; }
    bool CheckSegmentEnd() override;
    /// With an SFXGenerator, an ".EXE" name first takes SFXCodeSize from that file's version
    /// strings (code size + tag size); then the root's rule.
    void SetStartOffsetFor(const std::string& fileName) override;
    void AfterOpenHook() override { OpenSolidArchive(); }
    void BeforeCloseHook() override { CloseSolidArchive(); }

    // Added operations.
    virtual bool UncompressBlock(std::uint8_t* destBlock, int& destSize,
                                 const std::uint8_t* srcBlock, int srcSize);
    virtual void DecryptBlock(std::uint8_t* destBlock, const std::uint8_t* srcBlock, int& destSize,
                              int srcSize);
    /// Solid archives: unpacking the inner archive at open and removing it at close.
    virtual void OpenSolidArchive();
    virtual void CloseSolidArchive();

    // The pipeline.
    void RestoreEntry(const std::string& destFile);
    /// Decodes the entry just read into `out`, each piece at its StartPosition. Every piece
    /// must lie inside FileSize and decode to exactly its PieceSize bytes; a continuation must
    /// start where its previous piece ended, and a file written from its start must end at
    /// FileSize. Anything else is a damaged entry (EArchiverBadCRC), raised before a byte past
    /// the declared size is written.
    void ReadEntryData(platform::Stream& out);
    /// The piece checks of ReadEntryData for the record just read: `follows` is where the
    /// previous piece ended (none for the first piece), `whole` whether the file is written
    /// from its start.
    void CheckPieceBounds(std::optional<std::int64_t> follows, bool whole) const;
    void SkipEntryData(std::int32_t entryOffset);
    /// Walks the blocks of the entry record just read, piece by piece and into the segments
    /// its later pieces lie in, calling `onBlock(BlockCursor&)` at each block; the call reads
    /// or passes the block through the cursor. Defined beside its callers (ExtractorBlocks.cpp).
    template <class OnBlock> void WalkEntryBlocks(OnBlock&& onBlock);
    /// A block as read: its decoded bytes (its checked payload when not decoded) and the
    /// bytes it took in the archive.
    struct BlockData {
        const std::uint8_t* data = nullptr;
        std::size_t size = 0;
        std::int64_t stored = 0;
        std::uint32_t digest = 0; // checked ahead: PayloadDigest of a plain payload as read
    };
    /// Reads the block at the cursor and checks it, and decodes it when `decode`; a block
    /// decoded ahead for that position stands in for the work.
    BlockData ReadBlock(BlockCursor& blocks, bool decode);
    /// The head at the cursor; a head that does not fit is a damaged block.
    BlockHead ReadBlockHead(BlockCursor& blocks);
    /// The damaged-block error of the current entry: the key's when it is encrypted.
    [[noreturn]] void ThrowDamagedBlock() const;
    /// ReadBlock from the block decoded ahead for `head`, when there is a usable one; the
    /// payload is then passed over.
    std::optional<BlockData> TakePrefetched(const BlockHead& head, BlockCursor& blocks);
    /// Whether a second thread may decode blocks ahead: only when decoding is the built-in one,
    /// whose results do not depend on the thread or the moment. `decrypt` says whether it may
    /// also decrypt.
    virtual bool CanDecodeAhead(bool& decrypt) const {
        decrypt = false;
        return false;
    }
    /// Starts decoding ahead in the current segment, when allowed and worth it; `decode` false
    /// only checks the blocks (the block check before extraction). `known`: what a check just
    /// before found right.
    void StartDecodingAhead(bool decode = true, KnownBlocks known = {});
    void StopDecodingAhead();
    /// Whether the block check keeps the block just checked: a plain one of the segment decoded
    /// ahead, while there is room (KnownBlocks).
    bool RemembersChecked() const;
    void RememberChecked(const BlockHead& head, std::uint32_t digest);
    /// Stops decoding ahead when the scope ends, however it ends.
    struct DecodingAheadScope {
        TCustomExtractor& extractor;
        ~DecodingAheadScope() { extractor.StopDecodingAhead(); }
    };
    /// Reads the payload of `head` into the input buffer, decrypts it when the entry is
    /// encrypted and checks its checksum; \returns the plain length. Nothing is decoded.
    int ReadCheckedPayload(const BlockHead& head, BlockCursor& blocks);
    /// The whole-archive block check inside a running operation, from the first entry record
    /// of the first segment on; counters and progress are left as they were. The blocks it
    /// found right are left in checkedBlocks_.
    std::optional<BlockCheckFailure> VerifyBlocksPass();
    /// Checks the blocks of the entry record just read; `check` false only walks past them.
    void VerifyEntryBlocks(bool check);
    /// VerifyBlocksPass for ExtractAll: a failure is raised; otherwise the stream is put back
    /// at the first entry, and \returns the blocks found right.
    KnownBlocks VerifyBeforeExtracting();
    /// Checks the sizes of the entry just read against the segment that holds it.
    void ValidateEntry();
    /// The start shared by extraction, testing and the block check: open, total, first segment,
    /// header; the run then counts as failed until it completes.
    void BeginReadingRun();
    /// The loop over the entries shared by extraction and enumeration.
    void WalkEntries(const std::function<void(int index)>& perEntry);

    // Restore policy.
    bool DecideRestore(const std::string& destFile);
    bool ConfirmOverwrite(const std::string& destFile);

    // Segments.
    bool IsArchiveSegment(const std::string& fileName, archive::TArchiveHeader& header);
    void OpenSegment(int n);
    void OpenFirstSegment();
    void OpenLastSegment();
    void CheckContinuation(const archive::TFileEntry& saved, const archive::TFileEntry& current);
    void InsertDiskLoop(int n);
    void LocateSegmentLoop(int n);
    void InsertLastDiskLoop();
    void LocateLastSegmentLoop(int lastTried);
    /// Splits FileName again after a locate answer naming segment `segment`.
    void ResplitKeepingExtension(int segment);
    /// Drive answer checks of the insert-disk loops: false asks again.
    bool AcceptDriveAnswer(std::string& drive, const std::string& remembered);

    std::string extractPath_;
    TRestoreAction restoreAction_ = raAsk;
    bool overwriteAll_ = false;
    bool decidedOnMissing_ = false; // the last restore decision found no file in the way
    bool isSolid_ = false;
    bool allowAbsolutePaths_ = true;
    bool verifyBeforeExtract_ = false;

  private:
    void PerEntryExtract(int index);
    /// Raises EArchiver naming the first folder below ExtractPath on the way to `destFile`
    /// that is a link (when links are not followed).
    void RefuseLinksOnTheWay(const std::string& destFile);
    bool followLinks_ = true;
    // Folders below ExtractPath found to be no link during this operation (upper-cased): the
    // many files of one folder cost one look. A link made meanwhile under one goes unseen.
    std::unordered_set<std::string> linkFreeFolders_;

    std::unique_ptr<BlockPrefetcher> prefetch_;
    KnownBlocks checkedBlocks_; // found right by the block check that is running
    std::weak_ptr<archive::TCustomSFXGenerator> sfxGenerator_;
};

class TExtractor : public TCustomExtractor {
  public:
    TExtractor();
    ~TExtractor() override;

    std::string ClassName() const override { return "TExtractor"; }

  protected:
    std::size_t GetBufferSize() const override;
    bool UncompressBlock(std::uint8_t* destBlock, int& destSize, const std::uint8_t* srcBlock,
                         int srcSize) override;
    void DecryptBlock(std::uint8_t* destBlock, const std::uint8_t* srcBlock, int& destSize,
                      int srcSize) override;
    bool CanDecodeAhead(bool& decrypt) const override;

  private:
    std::unique_ptr<TBlowFish> cipher_;
    std::unique_ptr<Inflater> inflater_;
};

} // namespace vexo::extract
