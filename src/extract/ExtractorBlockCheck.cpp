// ExtractorBlockCheck.cpp - TCustomExtractor's whole-archive block check: every block read and
// its checksum compared before anything is written, so a damaged download is refused untouched.
#include "extract/Extractor.h"

#include "archive/Exceptions.h"

#include <stdexcept>
#include <utility>

namespace vexo::extract {

std::optional<BlockCheckFailure> TCustomExtractor::VerifyArchiveBlocks() {
    if (CheckBusy()) return std::nullopt;
    operationStatus_ = archive::TOperationStatus::Idle;
    operation_ = archive::opExtract;
    StartOperation();
    std::optional<BlockCheckFailure> failure;
    Bracketed([&] {
        BeginReadingRun();
        failure = VerifyBlocksPass();
        checkedBlocks_.clear();
        operationStatus_ = archive::TOperationStatus::Completed;
    });
    return failure;
}

KnownBlocks TCustomExtractor::VerifyBeforeExtracting() {
    std::optional<BlockCheckFailure> failure = VerifyBlocksPass();
    KnownBlocks known = std::exchange(checkedBlocks_, {});
    if (failure) {
        // The message names the entry, as the continue prompt would.
        const std::string text = failure->message + "\r\n\r\n" + failure->entry.Name;
        if (failure->badKey) throw archive::EArchiverBadKey(text);
        throw archive::EArchiverBadCRC(text);
    }
    OpenFirstSegment();
    ReadAndCheckHeader();
    return known;
}

std::optional<BlockCheckFailure> TCustomExtractor::VerifyBlocksPass() {
    std::optional<BlockCheckFailure> failure;
    checkedBlocks_.clear();
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

} // namespace vexo::extract
