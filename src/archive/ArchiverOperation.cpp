// ArchiverOperation.cpp - the operation bracket: nesting, buffers, progress, timing, abort,
// the error policy, the key prompts, temporary names and directory creation.
#include "archive/ArchiverRoot.h"

#include "archive/Exceptions.h"
#include "archive/PathRoutines.h"
#include "archive/Prompts.h"
#include "archive/TextFormat.h"
#include "platform/FileSystem.h"
#include "platform/Interrupt.h"

#include <algorithm>
#include <cmath>

namespace vexo::archive {

int ProgressPercent(double done, double total, bool unpackingSolid, bool enumeratingAfterOpen) {
    double p = total > 0 ? std::nearbyint(done / total * 100.0) : 0.0; // ties to even
    p = std::clamp(p, -1e9, 1e9);
    int percent = static_cast<int>(p);
    if (unpackingSolid) percent /= 2;
    if (enumeratingAfterOpen) percent = percent / 2 + 50;
    return percent;
}

std::size_t TArchiverRoot::GetBufferSize() const {
    return header_.BlockSize > 0 ? static_cast<std::size_t>(header_.BlockSize) : 0;
}

void TArchiverRoot::AllocateBuffers() {
    std::size_t size = GetBufferSize();
    BlockBuffer(size).swap(inBuffer_);
    BlockBuffer(size).swap(outBuffer_);
}

void TArchiverRoot::FreeBuffers() {
    BlockBuffer().swap(inBuffer_);
    BlockBuffer().swap(outBuffer_);
}

void TArchiverRoot::StartOperation() {
    if (++busyCount_ != 1) return;
    abortFlag_ = false;
    totalBytes_ = 0;
    processedBytes_ = 0;
    filesProcessed_ = 0;
    errorYesToAll_ = false;
    timer_.Start();
    try {
        AllocateBuffers();
        if (OnStartOperation) OnStartOperation(*this);
        ShowProgress();
    } catch (...) {
        FinishOperation();
        throw;
    }
}

void TArchiverRoot::FinishOperation() {
    if (busyCount_ == 0) return;
    if (--busyCount_ != 0) return;
    FreeBuffers();
    timer_.MarkEnd();
    timer_.Pause(processedBytes_);
    try {
        if (OnFinishOperation) OnFinishOperation(*this);
    } catch (...) {
        totalBytes_ = 0;
        operation_ = opNone;
        if ((header_.Flags & kHeaderKeepKey) == 0) WipeKey();
        throw;
    }
    totalBytes_ = 0;
    operation_ = opNone;
    if ((header_.Flags & kHeaderKeepKey) == 0) WipeKey();
}

void TArchiverRoot::CheckAbort() {
    // A stop request from the console ends the operation as a cancel does, once allowed.
    if (!abortFlag_ && platform::InterruptRequested()) RequestAbort();
    if (abortFlag_) throw EAbort();
}

void TArchiverRoot::ShowProgress() {
    CheckAbort();
    double done = 0, total = 0;
    if (HasOption(options_, oOpenSingleSegment)) {
        done = filesProcessed_;
        total = header_.SegmentInfo.FileCount;
    } else if (totalBytes_ > 0) {
        done = processedBytes_;
        total = totalBytes_;
    } else {
        done = processedBytes_;
        total = header_.ArchiveInfo.CompressedSize;
    }
    percent_ =
        ProgressPercent(done, total, HasState(sbUnpackingSolid), HasState(sbEnumeratingAfterOpen));
    if (OnFileProgress) OnFileProgress(*this, percent_);
    PauseTiming();
    double remaining = timer_.RemainingMs(totalBytes_, processedBytes_);
    if (OnShowTiming)
        OnShowTiming(*this, OperationTimer::MsToDateTime(timer_.ElapsedMs()),
                     OperationTimer::MsToDateTime(remaining));
    ResumeTiming();
}

void TArchiverRoot::GrowTotal() {
    if (operation_ != opExtract && operation_ != opEnumerate && operation_ != opRead) return;
    double archiveTotal = header_.ArchiveInfo.CompressedSize;
    if (archiveTotal <= largestTotal_) return;
    if (largestTotal_ == totalBytes_) totalBytes_ = archiveTotal;
    largestTotal_ = archiveTotal;
    ShowProgress();
}

void TArchiverRoot::RequestAbort() {
    operationStatus_ = TOperationStatus::AbortRequested;
    if (!HasState(sbAbortNotAllowed)) abortFlag_ = true;
}

bool TArchiverRoot::HandleError(const std::exception& e) {
    TErrorAction action = errorAction_;
    if (OnError) OnError(*this, e, currentEntry_, action);
    bool goOn = false;
    switch (action) {
    case eaContinue:
        goOn = true;
        break;
    case eaAbort:
        goOn = false;
        break;
    case eaAsk:
        if (errorYesToAll_) {
            goOn = true;
            break;
        }
        PauseTiming();
        {
            ContinuePromptData data;
            data.ErrorText = e.what();
            data.FileName = ShortenPath(currentEntry_.Name, 50);
            data.Size = currentEntry_.FileSize;
            data.Date = currentEntry_.Date;
            ContinueAnswer answer = CurrentPrompts().ContinuePrompt(data);
            if (answer == ContinueAnswer::YesToAll) errorYesToAll_ = true;
            goOn = answer == ContinueAnswer::Yes || answer == ContinueAnswer::YesToAll;
        }
        ResumeTiming();
        break;
    }
    if (goOn) processedBytes_ += currentEntry_.FileSize;
    return goOn;
}

// --- keys --------------------------------------------------------------------------------

void TArchiverRoot::RequestCryptKey() {
    if (!key_.empty()) return;
    PauseTiming();
    WipeKey();
    if (OnRequestCryptKey) {
        OnRequestCryptKey(*this, key_);
    } else if (!PasswordQuery(messages_->SystemMessage, messages_->EnterDecryptKey, key_)) {
        throw EAbort();
    }
    ResumeTiming();
}

void TArchiverRoot::EnterCryptKey() {
    PauseTiming();
    WipeKey();
    if (OnEnterCryptKey) {
        OnEnterCryptKey(*this, key_);
        ResumeTiming();
        return;
    }
    // A cancelled entry holds no key: one typed but never confirmed must not be used later.
    auto cancel = [this]() {
        WipeKey();
        return EAbort();
    };
    for (;;) {
        if (!PasswordQuery(messages_->SystemMessage, messages_->EnterCryptKey, key_))
            throw cancel();
        if (static_cast<int>(key_.size()) < GetMinKeyLength()) {
            MessageDlg(Format(messages_->KeyTooShort, GetMinKeyLength()), MessageType::mtWarning,
                       MessageButtons::mbOK, 0);
            continue;
        }
        std::string confirmation;
        if (!PasswordQuery(messages_->SystemMessage, messages_->ConfirmCryptKey, confirmation))
            throw cancel();
        bool same = confirmation == key_;
        std::fill(confirmation.begin(), confirmation.end(), '\0');
        if (same) break;
        MessageDlg(messages_->KeyNotConfirmed, MessageType::mtWarning, MessageButtons::mbOK, 0);
        WipeKey();
    }
    ResumeTiming();
}

// --- temporary names and directories -----------------------------------------------------

std::string TArchiverRoot::MakeTempFileName() {
    std::string dir = platform::TempDirectory();
    if (dir.empty() || dir.size() > 512) dir = "c:\\";
    dir = WithTrailingBackslash(dir);
    std::uint32_t base = Ticks();
    for (std::uint32_t i = 0;; ++i) {
        if (i > 1000) throw Exception(messages_->CanNotBuildTempFileName);
        std::uint32_t number = base + i + 1; // wraps as the tick count does
        std::string name = Format("%s~Archiv-%x.tmp", dir, number);
        if (platform::GetFileAttributes(name) == platform::kInvalidAttributes) return name;
    }
}

void TArchiverRoot::CreateDirectoryPath(const std::string& dir) {
    if (dir.empty()) throw Exception(messages_->CannotCreateDir);
    std::string path = WithoutTrailingBackslash(dir);
    if (path.size() <= 2 || platform::DirectoryExists(path)) return;
    std::string parent = ExtractFilePath(path);
    if (parent != path && parent != dir) CreateDirectoryPath(parent);
    platform::CreateDirectory(path); // a failure shows when the file is created
}

} // namespace vexo::archive
