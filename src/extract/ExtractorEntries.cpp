// ExtractorEntries.cpp - TCustomExtractor restoring one entry: the restore decision, the output
// file, the block loop with its checks, skipping an entry's data, and the per-entry error policy.
#include "extract/Extractor.h"

#include "extract/BlockPrefetch.h"
#include "extract/SafeOutputFile.h"

#include "archive/Checksum.h"
#include "archive/Exceptions.h"
#include "archive/FileRoutines.h"
#include "archive/PathRoutines.h"
#include "archive/Prompts.h"
#include "archive/StreamIO.h"
#include "archive/TextFormat.h"
#include "platform/Encoding.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"

#include <cstring>
#include <stdexcept>
#include <string_view>
#include <thread>

namespace vexo::extract {

using archive::EAbort;
using archive::EArchiver;
using archive::HasOption;
using archive::StateBitScope;

namespace {

// A component Windows may read as the parent directory: "..", and the dot runs and trailing
// spaces it trims to that (".. ", "...").
bool ClimbsUp(std::string_view component) {
    while (!component.empty() && component.back() == ' ')
        component.remove_suffix(1);
    return component.size() >= 2 && component.find_first_not_of('.') == std::string_view::npos;
}

// Stored names that climb out of the extraction directory are refused. A drive colon also
// separates: "C:..\x" is the parent of the drive's current directory, or of the extraction
// root once a confined name loses its drive.
bool HasParentComponent(const std::string& name) {
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find_first_of("\\/:", start);
        if (end == std::string::npos) end = name.size();
        if (ClimbsUp(std::string_view(name).substr(start, end - start))) return true;
        start = end + 1;
    }
    return false;
}

} // namespace

void TCustomExtractor::ValidateEntry() {
    const archive::TFileEntry& e = currentEntry_;
    const std::int64_t here = stream_->Position();
    if (e.PieceStoredSize < 0 || e.FileSize < 0 || e.PieceSize < 0 || e.StartPosition < 0 ||
        here + e.PieceStoredSize > SegmentEnd())
        throw EArchiver(Messages().BadCRC);
}

// --- restore decision --------------------------------------------------------------------

bool TCustomExtractor::DecideRestore(const std::string& destFile) {
    const bool exists = platform::FileExists(destFile);
    archive::TDateTime existingDate = 0;
    if (exists && (restoreAction_ == raUpdate || restoreAction_ == raUpdateExisting))
        existingDate = archive::GetFileDate(destFile);
    switch (DecideRestoreAction(restoreAction_, exists, existingDate, currentEntry_.Date)) {
    case RestoreDecision::Extract:
        return true;
    case RestoreDecision::Skip:
        return false;
    case RestoreDecision::Ask:
        return ConfirmOverwrite(destFile);
    }
    return false;
}

bool TCustomExtractor::ConfirmOverwrite(const std::string& destFile) {
    if (overwriteAll_) return true;
    PauseTiming();
    archive::OverwritePromptData data;
    data.ExistingName = archive::ShortenPath(destFile, 50);
    data.ArchivedName = archive::ShortenPath(currentEntry_.Name, 50);
    data.ExistingSize = archive::GetFileSize(destFile);
    data.ArchivedSize = currentEntry_.FileSize;
    data.ExistingDate = archive::GetFileDate(destFile);
    data.ArchivedDate = currentEntry_.Date;
    int answer = archive::CurrentPrompts().OverwritePrompt(data);
    ResumeTiming();
    switch (answer) {
    case archive::kOverwriteCancel:
        throw EAbort();
    case archive::kOverwriteYesToAll:
        overwriteAll_ = true;
        return true;
    case archive::kOverwriteYes:
        return true;
    default: // No, or the prompt closed
        return false;
    }
}

// --- restoring ---------------------------------------------------------------------------

void TCustomExtractor::RestoreEntry(const std::string& destFile) {
    if (!DecideRestore(destFile)) {
        SkipEntryData(currentEntry_.Offset);
        return;
    }
    if (HasState(archive::sbUnpackingSolid)) {
        DisplayMessage(Messages().UncompressingSolidArchive);
        AddToLog(Messages().UncompressingSolidArchive);
    } else {
        DisplayMessage(archive::Format(Messages().ExtractingFile,
                                       archive::ExtractFileName(destFile), currentEntry_.FileSize));
        AddToLog(archive::Format(Messages().ExtractingFile, destFile, currentEntry_.FileSize));
    }
    const double processedBefore = processedBytes_;
    try {
        if (HasParentComponent(currentEntry_.Name))
            throw EArchiver(archive::Format(W1252("Nombre no permitido en el archivo: %s"),
                                            currentEntry_.Name));
        // A folder entry's own name is a directory too, stored with or without a final "\".
        const bool folder = (currentEntry_.Flags & archive::kEntryFolder) != 0;
        CreateDirectoryPath(folder ? destFile : archive::ExtractFilePath(destFile));
        if (folder) return;

        const bool single = HasOption(options_, archive::oOpenSingleSegment);
        const bool keep =
            platform::FileExists(destFile) && (currentEntry_.StartPosition != 0 || single);
        // A whole file goes to a temporary name and replaces the destination only when
        // complete: a failure part-way leaves the previous file as it was, not a torn one.
        SafeOutputFile out(destFile, keep, archive::Format(Messages().CannotCreateFile, destFile));
        ReadEntryData(out.Stream());
        out.Close();
        platform::SetFileAge(out.WrittenPath(), archive::DateTimeToDosDateTime(currentEntry_.Date));
        out.Commit();
        ++filesProcessed_;
        platform::SetFileAttributes(destFile, static_cast<std::uint32_t>(currentEntry_.Attributes));
        if (OnFileExtracted)
            OnFileExtracted(*this, currentEntry_, archive::ExtractFilePath(destFile));
        CheckSegmentEnd();
    } catch (const EAbort&) {
        throw;
    } catch (const std::runtime_error& e) {
        if (!HandleError(e)) {
            if (errorAction_ == archive::eaAsk || OnError) throw EAbort();
            throw;
        }
        processedBytes_ = processedBefore;
        SkipEntryData(currentEntry_.Offset);
    }
}

void TCustomExtractor::ReadEntryData(platform::Stream& out) {
    if (currentEntry_.FileSize == 0) return;
    StateBitScope copying(state_, archive::sbCopyingBlocks);
    out.SetPosition(currentEntry_.StartPosition);
    const bool single = HasOption(options_, archive::oOpenSingleSegment);
    bool firstPiece = true;
    for (;;) {
        std::int64_t sum = 0;
        bool firstBlock = true;
        do {
            bool switched = CheckSegmentEnd();
            if (switched) out.SetPosition(currentEntry_.StartPosition);
            // A later piece must come from the next segment; anything else is damage.
            if (firstBlock && !firstPiece && !switched) throw EArchiver(Messages().BadCRC);
            firstBlock = false;
            if (single && SegmentExhausted()) return;
            std::int64_t stored = 0;
            const std::uint8_t* data = nullptr;
            std::size_t decoded = ReadBlock(currentEntry_.PieceStoredSize - sum, stored, data);
            out.WriteBuffer(data, decoded);
            processedBytes_ += static_cast<double>(stored);
            ShowProgress();
            sum += stored;
        } while (sum < currentEntry_.PieceStoredSize);
        if ((currentEntry_.Flags & archive::kEntryLastPiece) != 0 || single) break;
        firstPiece = false;
    }
}

std::size_t TCustomExtractor::ReadBlock(std::int64_t budget, std::int64_t& stored,
                                        const std::uint8_t*& data) {
    if (prefetch_) {
        if (auto decoded = TakePrefetched(budget, stored, data)) return *decoded;
    }
    bool compressed = false;
    const int plain = ReadCheckedPayload(budget, stored, compressed);
    if (!compressed) {
        data = inBuffer_.data(); // stored bytes are written as they are
        return static_cast<std::size_t>(plain);
    }
    int m = header_.BlockSize;
    if (!UncompressBlock(outBuffer_.data(), m, inBuffer_.data(), plain) || m < 0 ||
        static_cast<std::size_t>(m) > outBuffer_.size())
        throw archive::EArchiverUncompress(Messages().CouldNotUncompressBlock);
    data = outBuffer_.data();
    return static_cast<std::size_t>(m);
}

std::optional<std::size_t> TCustomExtractor::TakePrefetched(std::int64_t budget,
                                                            std::int64_t& stored,
                                                            const std::uint8_t*& data) {
    const std::int64_t at = stream_->Position();
    const BlockPrefetcher::Slot* slot = prefetch_->Take(at);
    if (!slot) return std::nullopt;
    // The same checks, in the same order, as reading the block here.
    const bool encrypted = (currentEntry_.Flags & archive::kEntryEncrypted) != 0;
    const BlockHead head = ReadBlockHead(budget);
    const std::int64_t n = head.payload;
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
        stream_->SetPosition(at);
        return std::nullopt;
    }
    stream_->Seek(n, platform::SeekOrigin::Current);
    stored = n + archive::kBlockHeadSize;
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
    data = slot->data;
    return slot->size;
}

void TCustomExtractor::StartDecodingAhead(bool decode) {
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
    try {
        prefetch_ = std::make_unique<BlockPrefetcher>(
            platform::OpenFile(fileName_, platform::OpenMode::ReadDenyWrite), settings,
            decrypt ? std::string_view(key_) : std::string_view());
    } catch (const std::exception&) {
        // No second stream or thread: the extraction decodes every block itself.
    }
}

void TCustomExtractor::StopDecodingAhead() {
    prefetch_.reset();
}

void TCustomExtractor::ThrowDamagedBlock() const {
    if ((currentEntry_.Flags & archive::kEntryEncrypted) != 0)
        throw archive::EArchiverBadKey(Messages().BadKey);
    throw archive::EArchiverBadCRC(Messages().BadCRC);
}

TCustomExtractor::BlockHead TCustomExtractor::ReadBlockHead(std::int64_t budget) {
    const std::int64_t room = SegmentEnd() - stream_->Position();
    if (budget < archive::kBlockHeadSize || room < archive::kBlockHeadSize) ThrowDamagedBlock();
    BlockHead head;
    head.length = archive::ReadInt32(*stream_);
    head.checksum = static_cast<std::uint32_t>(archive::ReadInt32(*stream_));
    head.payload = head.length >= 0 ? std::int64_t{head.length} : -std::int64_t{head.length};
    // A length the buffer or the piece cannot hold is a damaged block.
    if (head.payload > static_cast<std::int64_t>(inBuffer_.size()) ||
        head.payload + archive::kBlockHeadSize > budget ||
        head.payload + archive::kBlockHeadSize > room)
        ThrowDamagedBlock();
    return head;
}

int TCustomExtractor::ReadCheckedPayload(std::int64_t budget, std::int64_t& stored,
                                         bool& compressed) {
    const bool encrypted = (currentEntry_.Flags & archive::kEntryEncrypted) != 0;
    const BlockHead head = ReadBlockHead(budget);
    const std::int64_t n = head.payload;
    compressed = head.length >= 0;
    stream_->ReadBuffer(inBuffer_.data(), static_cast<std::size_t>(n));
    stored = n + archive::kBlockHeadSize;

    int plain = static_cast<int>(n);
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

void TCustomExtractor::SkipEntryData(std::int32_t entryOffset) {
    {
        StateBitScope skipping(state_, archive::sbSkippingFile);
        if (entryOffset < GetHeaderSize() || entryOffset >= header_.EndOffset)
            throw EArchiver(Messages().BadCRC);
        stream_->SetPosition(static_cast<std::int64_t>(startOffset_) + entryOffset);
        archive::ReadFileEntry(*stream_, currentEntry_);
        ValidateEntry();
        const bool single = HasOption(options_, archive::oOpenSingleSegment);
        for (;;) {
            stream_->Seek(currentEntry_.PieceStoredSize, platform::SeekOrigin::Current);
            processedBytes_ += currentEntry_.PieceStoredSize;
            ShowProgress();
            if ((currentEntry_.Flags & (archive::kEntryLastPiece | archive::kEntryFolder)) != 0 ||
                single)
                break;
            archive::TFileEntry saved = currentEntry_;
            if (!CheckSegmentEnd()) throw EArchiver(Messages().BadCRC);
            currentEntry_.Segment = saved.Segment;
            currentEntry_.Offset = saved.Offset;
        }
    }
    ++filesProcessed_;
    // Outside the skipping state: an entry that ends its segment is followed by a new file in
    // the next one, not by a continuation of itself.
    CheckSegmentEnd();
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
