// ExtractorBlockCheck.cpp - TCustomExtractor's whole-archive block check: every block read and
// its checksum compared before anything is written, so a damaged download is refused untouched.
#include "extract/Extractor.h"

#include "archive/Exceptions.h"
#include "extract/BlockPrefetch.h"

#include <stdexcept>

namespace vexo::extract {

using archive::EArchiver;
using archive::HasOption;

std::optional<BlockCheckFailure> TCustomExtractor::VerifyArchiveBlocks() {
    if (CheckBusy()) return std::nullopt;
    operationStatus_ = 0;
    operation_ = archive::opExtract;
    StartOperation();
    std::optional<BlockCheckFailure> failure;
    Bracketed([&] {
        BeginReadingRun();
        failure = VerifyBlocksPass();
        operationStatus_ = 1;
    });
    return failure;
}

void TCustomExtractor::VerifyBeforeExtracting() {
    if (auto failure = VerifyBlocksPass()) {
        // The message names the entry, as the continue prompt would.
        const std::string text = failure->Message + "\r\n\r\n" + failure->Entry.Name;
        if (failure->BadKey) throw archive::EArchiverBadKey(text);
        throw archive::EArchiverBadCRC(text);
    }
    OpenFirstSegment();
    ReadAndCheckHeader();
}

std::optional<BlockCheckFailure> TCustomExtractor::VerifyBlocksPass() {
    std::optional<BlockCheckFailure> failure;
    StartDecodingAhead(false);
    DecodingAheadScope decodingAhead{*this};
    try {
        WalkEntries([&](int) {
            const bool encrypted = (currentEntry_.Flags & archive::kEntryEncrypted) != 0;
            // Without the key the check is left to the extraction: no prompt from here.
            VerifyEntryBlocks(!encrypted || !key_.empty());
        });
    } catch (const archive::EAbort&) {
        throw;
    } catch (const std::runtime_error& e) {
        failure = BlockCheckFailure{currentEntry_, e.what(),
                                    dynamic_cast<const archive::EArchiverBadKey*>(&e) != nullptr};
    }
    return failure;
}

void TCustomExtractor::VerifyEntryBlocks(bool check) {
    const archive::TFileEntry& e = currentEntry_;
    // As extraction reads them: a folder or an empty file has no blocks.
    if (e.FileSize == 0 || (e.Flags & archive::kEntryFolder) != 0) return;
    archive::StateBitScope copying(state_, archive::sbCopyingBlocks);
    const bool single = HasOption(options_, archive::oOpenSingleSegment);
    bool firstPiece = true;
    for (;;) {
        std::int64_t sum = 0;
        bool firstBlock = true;
        do {
            const bool switched = CheckSegmentEnd();
            if (firstBlock && !firstPiece && !switched) throw EArchiver(Messages().BadCRC);
            firstBlock = false;
            if (single && SegmentExhausted()) return;
            if (abortFlag_) throw archive::EAbort();
            if (!check) {
                const std::int64_t rest = currentEntry_.PieceStoredSize - sum;
                if (rest > SegmentEnd() - stream_->Position()) throw EArchiver(Messages().BadCRC);
                stream_->Seek(rest, platform::SeekOrigin::Current);
                break;
            }
            std::int64_t stored = 0;
            const std::uint8_t* checked = nullptr;
            if (!prefetch_ ||
                !TakePrefetched(currentEntry_.PieceStoredSize - sum, stored, checked)) {
                bool compressed = false;
                ReadCheckedPayload(currentEntry_.PieceStoredSize - sum, stored, compressed);
            }
            sum += stored;
        } while (sum < currentEntry_.PieceStoredSize);
        if ((currentEntry_.Flags & archive::kEntryLastPiece) != 0 || single) break;
        firstPiece = false;
    }
}

} // namespace vexo::extract
