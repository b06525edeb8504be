// Extractor.cpp - TCustomExtractor's construction, open and close work, and its operations:
// extract all, enumerate, extract one entry, and where an entry goes.
#include "extract/Extractor.h"

#include "extract/BlockPrefetch.h"

#include "archive/Exceptions.h"
#include "archive/PathRoutines.h"
#include "archive/TextFormat.h"
#include "platform/FileSystem.h"

namespace vexo::extract {

using archive::EAbort;
using archive::EArchiver;
using archive::HasOption;
using archive::StateBitScope;
using archive::TFileEntry;

TCustomExtractor::TCustomExtractor()
    : TCustomExtractor(std::make_unique<archive::TExtrMessages>()) {}

TCustomExtractor::TCustomExtractor(std::unique_ptr<archive::TExtrMessages> messages)
    : TArchiverRoot(std::move(messages)) {}

TCustomExtractor::~TCustomExtractor() {
    // The root's destructor cannot reach this class's close work (the solid temporary file).
    destroying_ = true;
    try {
        DoClose();
    } catch (...) {
    }
}

archive::TExtrMessages& TCustomExtractor::Messages() {
    return static_cast<archive::TExtrMessages&>(*messages_);
}

const archive::TExtrMessages& TCustomExtractor::Messages() const {
    return static_cast<const archive::TExtrMessages&>(*messages_);
}

void TCustomExtractor::Assign(const archive::TArchiverRoot& source) {
    if (auto* other = dynamic_cast<const TCustomExtractor*>(&source)) {
        extractPath_ = other->extractPath_;
        restoreAction_ = other->restoreAction_;
        allowAbsolutePaths_ = other->allowAbsolutePaths_;
        verifyBeforeExtract_ = other->verifyBeforeExtract_;
        sfxGenerator_ = other->sfxGenerator_;
    }
    TArchiverRoot::Assign(source);
}

void TCustomExtractor::SetStartOffsetFor(const std::string& fileName) {
    if (auto generator = sfxGenerator_.lock(); generator && archive::IsExeFile(fileName)) {
        generator->ReadInfo(fileName);
        sfxCodeSize_ = generator->ArchiveStart();
    }
    TArchiverRoot::SetStartOffsetFor(fileName);
}

void TCustomExtractor::StartOperation() {
    if (busyCount_ == 0) {
        overwriteAll_ = false;
        linkFreeFolders_.clear(); // what the disk held at the last run is no guide
    }
    TArchiverRoot::StartOperation();
}

void TCustomExtractor::AfterOpen() {
    if (OnShowComment && !header_.Comment.empty()) OnShowComment(*this, header_.Comment);
    AfterOpenHook();
    TArchiverRoot::AfterOpen();
    if (HasOption(options_, archive::oEnumerateAfterOpen) ||
        HasOption(options_, archive::oMaintainFileDirectory)) {
        StateBitScope enumerating(state_, archive::sbEnumeratingAfterOpen);
        // An open made by a running operation skips it quietly.
        if (!IsBusy()) EnumerateArchive();
    }
}

void TCustomExtractor::BeforeClose() {
    TArchiverRoot::BeforeClose();
    BeforeCloseHook();
}

// --- operations --------------------------------------------------------------------------

void TCustomExtractor::WalkEntries(const std::function<void(int index)>& perEntry) {
    int index = 0;
    for (;;) {
        while (SegmentExhausted()) {
            if ((header_.Flags & archive::kHeaderFinalSegment) != 0 ||
                HasOption(options_, archive::oOpenSingleSegment))
                return;
            if (!CheckSegmentEnd()) return;
        }
        const std::int64_t recordAt = stream_->Position() - startOffset_;
        ReadFileEntry();
        ValidateEntry();
        // Skipping seeks back to the stored Offset: one naming another record would walk in
        // a circle.
        if (currentEntry_.Offset != recordAt) throw EArchiver(Messages().BadCRC);
        perEntry(index++);
    }
}

void TCustomExtractor::BeginReadingRun() {
    EnsureOpen();
    totalBytes_ = largestTotal_;
    OpenFirstSegment();
    ReadAndCheckHeader();
    operationStatus_ = archive::TOperationStatus::RunningOrFailed;
}

void TCustomExtractor::ExtractAll() {
    if (CheckBusy()) return;
    if (extractPath_.empty()) throw EArchiver(Messages().NeedExtractPath);
    operationStatus_ = archive::TOperationStatus::Idle;
    operation_ = archive::opExtract;
    StartOperation();
    Bracketed([&] {
        BeginReadingRun();
        KnownBlocks known;
        if (verifyBeforeExtract_) known = VerifyBeforeExtracting();
        StartDecodingAhead(true, std::move(known));
        DecodingAheadScope decodingAhead{*this};
        WalkEntries([&](int index) { PerEntryExtract(index); });
        // An abort asked for after the last progress point still ends the run as aborted.
        if (abortFlag_) throw EAbort();
        operationStatus_ = archive::TOperationStatus::Completed;
    });
}

void TCustomExtractor::PerEntryExtract(int index) {
    std::string destPath = ResolveDestination(currentEntry_);
    bool accept = true;
    if (OnExtractFile) OnExtractFile(*this, currentEntry_, destPath, accept);
    if (OnExtractFileByIndex) OnExtractFileByIndex(*this, index, destPath, accept);
    if (accept)
        RestoreEntry(archive::WithTrailingBackslash(destPath) +
                     archive::ExtractFileName(currentEntry_.Name));
    else
        SkipEntryData(currentEntry_.Offset);
}

void TCustomExtractor::EnumerateArchive() {
    if (CheckBusy()) return;
    operation_ = archive::opEnumerate;
    StartOperation();
    Bracketed([&] {
        EnsureOpen();
        totalBytes_ = largestTotal_;
        processedBytes_ = 0;
        OpenFirstSegment();
        ReadAndCheckHeader();
        ClearFileList();
        DisplayMessage(Messages().LoadingArchiveContnent);
        AddToLog(Messages().LoadingArchiveContnent);
        WalkEntries([&](int) {
            TFileEntry entry = currentEntry_;
            if (HasOption(options_, archive::oMaintainFileDirectory))
                fileList_.push_back(std::make_unique<archive::TFileObject>(entry));
            SkipEntryData(entry.Offset);
            bool folder = (entry.Flags & archive::kEntryFolder) != 0;
            if (OnEnumeration && (!folder || HasOption(options_, archive::oShowEmptyFolders)))
                OnEnumeration(*this, entry);
        });
    });
}

void TCustomExtractor::ExtractEntryAt(std::uint16_t segment, std::int32_t entryOffset,
                                      std::int32_t total, const std::string& destFile) {
    if (operation_ == archive::opNone) operation_ = archive::opExtract;
    StartOperation();
    Bracketed([&] {
        EnsureOpen();
        if (totalBytes_ == 0) totalBytes_ = total;
        OpenSegment(segment);
        if (entryOffset < GetHeaderSize() || entryOffset >= header_.EndOffset)
            throw EArchiver(Messages().BadCRC);
        stream_->SetPosition(static_cast<std::int64_t>(startOffset_) + entryOffset);
        archive::ReadFileEntry(*stream_, currentEntry_);
        ValidateEntry();
        RestoreEntry(destFile);
    });
}

// --- destinations ------------------------------------------------------------------------

std::string TCustomExtractor::ResolveDestination(const TFileEntry& entry) {
    if (!HasOption(options_, archive::oRestorePath)) return extractPath_;
    const std::string root = archive::WithTrailingBackslash(extractPath_);
    const std::string d = archive::ExtractFilePath(entry.Name);
    const auto colon = d.find(':');
    if (colon != std::string::npos) {
        if (!allowAbsolutePaths_) {
            std::string rest = d.substr(colon + 1);
            while (!rest.empty() && rest.front() == '\\')
                rest.erase(0, 1);
            return root + rest;
        }
        if (colon == 1 && platform::DirectoryExists(d.substr(0, 1) + ":\\")) return d;
        if (extractPath_.size() >= 2 && extractPath_[1] == ':' &&
            platform::DirectoryExists(extractPath_.substr(0, 2) + "\\"))
            return extractPath_.substr(0, 1) + d.substr(1);
        return "C" + d.substr(1);
    }
    if (d.rfind("\\\\", 0) != 0) return root + d;
    const std::string r = d.substr(2);
    if (allowAbsolutePaths_) {
        auto first = r.find('\\');
        if (first != std::string::npos) {
            auto second = r.find('\\', first + 1);
            if (second != std::string::npos) {
                std::string server = r.substr(0, first);
                std::string share = r.substr(first + 1, second - first - 1);
                if (platform::DirectoryExists("\\\\" + server + "\\" + share)) return d;
            }
        }
    }
    return root + r;
}

} // namespace vexo::extract
