// ExtractorBlocks.cpp - TCustomExtractor over the blocks of one entry: the walk over its pieces
// and segments, reading and decoding each block for the extraction, checking it for the block
// check, the blocks decoded ahead, and the base class's block transformations.
#include "extract/Extractor.h"

#include "extract/BlockCursor.h"
#include "extract/BlockPrefetch.h"

#include "archive/Checksum.h"
#include "archive/Exceptions.h"
#include "platform/FileSystem.h"
#include "platform/Interrupt.h"

#include <cstring>
#include <thread>

namespace vexo::extract {

using archive::EArchiver;
using archive::HasOption;

template <class OnBlock> void TCustomExtractor::WalkEntryBlocks(OnBlock&& onBlock) {
    // While it is set, a segment change reads the record that continues the entry.
    archive::StateBitScope copying(state_, archive::sbCopyingBlocks);
    const bool single = HasOption(options_, archive::oOpenSingleSegment);
    for (bool firstPiece = true;; firstPiece = false) {
        const bool switched = CheckSegmentEnd();
        // A later piece must come from the next segment; anything else is damage.
        if (!firstPiece && !switched) throw EArchiver(Messages().BadCRC);
        if (single && SegmentExhausted()) return;
        // The segment cannot end inside the piece: the record's piece fits in it
        // (ValidateEntry) and the cursor keeps every block inside the piece.
        const std::int64_t start = stream_->Position();
        BlockCursor blocks(*stream_, start, start + currentEntry_.PieceStoredSize, SegmentEnd(),
                           inBuffer_.size());
        do
            onBlock(blocks);
        while (!blocks.AtEnd());
        if ((currentEntry_.Flags & archive::kEntryLastPiece) != 0 || single) return;
    }
}

void TCustomExtractor::CheckPieceBounds(std::optional<std::int64_t> follows, bool whole) const {
    const archive::TFileEntry& e = currentEntry_;
    // 64-bit sums: two int32 fields near their limit must not wrap into a small end.
    const std::int64_t end = std::int64_t{e.StartPosition} + e.PieceSize;
    bool sound = e.StartPosition >= 0 && e.PieceSize >= 0 && end <= e.FileSize;
    // An empty file has no blocks: stored bytes behind it would be read as the next record.
    if (e.FileSize == 0 && e.PieceStoredSize != 0) sound = false;
    // A continuation goes on where its previous piece ended, and the last piece of a file
    // written from its start ends it: the file then gets exactly its declared size.
    if (follows && e.StartPosition != *follows) sound = false;
    if (whole && (e.Flags & archive::kEntryLastPiece) != 0 && end != e.FileSize) sound = false;
    if (!sound) throw archive::EArchiverBadCRC(Messages().BadCRC);
}

void TCustomExtractor::ReadEntryData(platform::Stream& out) {
    // A piece opened on its own, or one placed inside an existing file, is not the whole file.
    const bool whole =
        !HasOption(options_, archive::oOpenSingleSegment) && currentEntry_.StartPosition == 0;
    CheckPieceBounds(std::nullopt, whole);
    if (currentEntry_.FileSize == 0) return;
    std::optional<std::int64_t> pieceEnd; // where the previous piece ended in the file
    std::int64_t pieceLeft = 0;           // bytes the current piece still declares
    WalkEntryBlocks([&](BlockCursor& blocks) {
        // Each piece goes where its own record places it.
        if (blocks.AtStart()) {
            CheckPieceBounds(pieceEnd, whole);
            out.SetPosition(currentEntry_.StartPosition);
            pieceLeft = currentEntry_.PieceSize;
        }
        const BlockData block = ReadBlock(blocks, true);
        // A block stream that decodes to more than the piece declares is refused before a
        // byte of the excess is written: a small archive never fills a disk.
        if (static_cast<std::int64_t>(block.size) > pieceLeft)
            throw archive::EArchiverBadCRC(Messages().BadCRC);
        out.WriteBuffer(block.data, block.size);
        pieceLeft -= static_cast<std::int64_t>(block.size);
        if (blocks.AtEnd()) {
            if (pieceLeft != 0) throw archive::EArchiverBadCRC(Messages().BadCRC);
            pieceEnd = std::int64_t{currentEntry_.StartPosition} + currentEntry_.PieceSize;
        }
        processedBytes_ += static_cast<double>(block.stored);
        platform::TestPausePoint("block");
        ShowProgress();
    });
}

void TCustomExtractor::VerifyEntryBlocks(bool check) {
    const archive::TFileEntry& e = currentEntry_;
    // As extraction reads them: a folder or an empty file has no blocks.
    if (e.FileSize == 0 || (e.Flags & archive::kEntryFolder) != 0) return;
    WalkEntryBlocks([&](BlockCursor& blocks) {
        if (abortFlag_) throw archive::EAbort();
        if (check)
            ReadBlock(blocks, false);
        else if (!blocks.SkipRest())
            throw EArchiver(Messages().BadCRC);
    });
}

TCustomExtractor::BlockData TCustomExtractor::ReadBlock(BlockCursor& blocks, bool decode) {
    const BlockHead head = ReadBlockHead(blocks);
    if (prefetch_) {
        if (auto taken = TakePrefetched(head, blocks)) {
            if (!decode && RemembersChecked()) RememberChecked(head, taken->digest);
            return *taken;
        }
    }
    BlockData block;
    const int plain = ReadCheckedPayload(head, blocks);
    if (!decode && RemembersChecked())
        RememberChecked(head, PayloadDigest(inBuffer_.data(), static_cast<std::size_t>(plain)));
    block.stored = head.Stored();
    if (!decode || !head.Compressed()) {
        block.data = inBuffer_.data(); // stored bytes are written as they are
        block.size = static_cast<std::size_t>(plain);
        return block;
    }
    int m = header_.BlockSize;
    if (!UncompressBlock(outBuffer_.data(), m, inBuffer_.data(), plain) || m < 0 ||
        static_cast<std::size_t>(m) > outBuffer_.size())
        throw archive::EArchiverUncompress(Messages().CouldNotUncompressBlock);
    block.data = outBuffer_.data();
    block.size = static_cast<std::size_t>(m);
    return block;
}

BlockHead TCustomExtractor::ReadBlockHead(BlockCursor& blocks) {
    if (std::optional<BlockHead> head = blocks.ReadHead()) return *head;
    ThrowDamagedBlock();
}

void TCustomExtractor::ThrowDamagedBlock() const {
    if ((currentEntry_.Flags & archive::kEntryEncrypted) != 0)
        throw archive::EArchiverBadKey(Messages().BadKey);
    throw archive::EArchiverBadCRC(Messages().BadCRC);
}

std::optional<TCustomExtractor::BlockData> TCustomExtractor::TakePrefetched(const BlockHead& head,
                                                                            BlockCursor& blocks) {
    const BlockPrefetcher::Slot* slot = prefetch_->Take(head.position);
    if (!slot) return std::nullopt;
    // The slot stands for the block only when made from this very head, and with the key.
    const bool encrypted = (currentEntry_.Flags & archive::kEntryEncrypted) != 0;
    bool usable = head.length == slot->length && head.checksum == slot->checksum &&
                  encrypted == slot->encrypted;
    // Without a key yet, the block is read here, where the key is asked for.
    if (usable && encrypted) {
        usable = !key_.empty();
        if (usable) {
            const std::uint64_t generation = prefetch_->SetKey(key_);
            usable = generation != 0 && slot->keyGeneration == generation;
        }
    }
    if (!usable) {
        prefetch_->Release();
        return std::nullopt;
    }
    blocks.SkipPayload(head);
    switch (slot->verdict) {
    case BlockPrefetcher::Verdict::BadPayload:
        throw archive::EArchiverBadKey(Messages().BadKey);
    case BlockPrefetcher::Verdict::BadChecksum:
        ThrowDamagedBlock();
    case BlockPrefetcher::Verdict::BadUncompress:
        throw archive::EArchiverUncompress(Messages().CouldNotUncompressBlock);
    case BlockPrefetcher::Verdict::Good:
        break;
    }
    return BlockData{slot->data, slot->size, head.Stored(), slot->digest};
}

int TCustomExtractor::ReadCheckedPayload(const BlockHead& head, BlockCursor& blocks) {
    const bool encrypted = (currentEntry_.Flags & archive::kEntryEncrypted) != 0;
    blocks.ReadPayload(head, inBuffer_.data());
    int plain = static_cast<int>(head.payload);
    if (encrypted) {
        RequestCryptKey();
        if (prefetch_ && !key_.empty()) prefetch_->SetKey(key_);
        int destSize = plain;
        DecryptBlock(inBuffer_.data(), inBuffer_.data(), destSize, plain);
        if (destSize < 0 || destSize > plain) throw archive::EArchiverBadKey(Messages().BadKey);
        plain = destSize;
    }
    if (archive::StoredChecksum(inBuffer_.data(), static_cast<std::size_t>(plain)) != head.checksum)
        ThrowDamagedBlock();
    return plain;
}

void TCustomExtractor::StartDecodingAhead(bool decode, KnownBlocks known) {
    StopDecodingAhead();
    bool decrypt = false;
    constexpr std::int32_t kLargestBlock = 1 << 20;
    if (!CanDecodeAhead(decrypt) || std::thread::hardware_concurrency() < 2 || !stream_ ||
        header_.BlockSize <= 0 || header_.BlockSize > kLargestBlock)
        return;
    BlockPrefetcher::Settings settings;
    settings.start = startOffset_;
    settings.firstRecord = stream_->Position();
    settings.segmentEnd = SegmentEnd();
    settings.blockSize = static_cast<std::size_t>(header_.BlockSize);
    settings.inCapacity = inBuffer_.size();
    settings.encrypted = decrypt;
    settings.decode = decode;
    settings.known = std::move(known);
    try {
        prefetch_ = std::make_unique<BlockPrefetcher>(
            platform::OpenFile(fileName_, platform::OpenMode::ReadDenyWrite), std::move(settings),
            decrypt ? std::string_view(key_) : std::string_view());
    } catch (const std::exception&) {
        // No second stream or thread: the extraction decodes every block itself.
    }
}

void TCustomExtractor::StopDecodingAhead() {
    prefetch_.reset();
}

bool TCustomExtractor::RemembersChecked() const {
    return prefetch_ && (currentEntry_.Flags & archive::kEntryEncrypted) == 0 &&
           checkedBlocks_.size() < kMostKnownBlocks;
}

void TCustomExtractor::RememberChecked(const BlockHead& head, std::uint32_t digest) {
    checkedBlocks_.push_back({head.position, head.length, head.checksum, digest});
}

// --- block transformations of the base class -------------------------------------------

bool TCustomExtractor::UncompressBlock(std::uint8_t* destBlock, int& destSize,
                                       const std::uint8_t* srcBlock, int srcSize) {
    if (OnUncompressBlock) return OnUncompressBlock(*this, destBlock, destSize, srcBlock, srcSize);
    if (srcSize > destSize) return false; // never write past the caller's capacity
    std::memmove(destBlock, srcBlock, static_cast<std::size_t>(srcSize));
    destSize = srcSize;
    return true;
}

void TCustomExtractor::DecryptBlock(std::uint8_t* destBlock, const std::uint8_t* srcBlock,
                                    int& destSize, int srcSize) {
    if (OnDecryptBlock) OnDecryptBlock(*this, destBlock, srcBlock, destSize, srcSize);
}

} // namespace vexo::extract
