// ArchiverRoot.cpp - open and close, the header, events and settings of the archive component.
#include "archive/ArchiverRoot.h"

#include "archive/ArchiveReader.h"
#include "archive/Exceptions.h"
#include "archive/PathRoutines.h"
#include "archive/Prompts.h"
#include "archive/TextFormat.h"
#include "platform/Error.h"
#include "platform/System.h"

#include <algorithm>

namespace vexo::archive {

TArchiverRoot::TArchiverRoot() : TArchiverRoot(std::make_unique<TMessages>()) {}

TArchiverRoot::TArchiverRoot(std::unique_ptr<TMessages> messages) : messages_(std::move(messages)) {
    InitializeComponents();
    InitializeCipher();
}

TArchiverRoot::~TArchiverRoot() {
    destroying_ = true;
    try {
        DoClose();
    } catch (...) {
        // A destructor cannot report; the stream is released by its own destructor.
    }
    fileList_.clear();
    WipeKey();
}

void TArchiverRoot::SetBlockSize(std::int32_t value) {
    if (value < 1024 || value == blockSize_) return;
    blockSize_ = value;
}

void TArchiverRoot::SetFileName(const std::string& value) {
    if (value == fileName_) return;
    Close();
    fileName_ = value;
    SplitFileName();
}

void TArchiverRoot::SplitFileName() {
    nameParts_ = SplitArchiveFileName(fileName_);
}

void TArchiverRoot::SetLanguage(TLanguage value) {
    if (value == messages_->Language()) return;
    messages_->ChooseLanguage(value);
}

void TArchiverRoot::Assign(const TArchiverRoot& source) {
    if (&source == this) return;
    openFlag_ = source.openFlag_;
    startOffset_ = source.startOffset_;
    sfxCodeSize_ = source.sfxCodeSize_;
    blockSize_ = source.blockSize_;
    errorAction_ = source.errorAction_;
    SetFileName(source.fileName_);
    filter_ = source.filter_;
    SetLanguage(source.Language());
    messages_->Assign(*source.messages_);
    options_ = source.options_;
}

void TArchiverRoot::Loaded() {
    if (Language() != TLanguage::lgAutomatic) return;
    SetLanguage(TLanguage::lgEnglish);
    SetLanguage(TLanguage::lgAutomatic);
}

void TArchiverRoot::SetState(TStateBit bit, bool on) {
    if (on)
        state_ = static_cast<std::uint16_t>(state_ | (1u << bit));
    else
        state_ = static_cast<std::uint16_t>(state_ & ~(1u << bit));
}

void TArchiverRoot::SetTickSource(OperationTimer::TickSource ticks) {
    ticks_ = ticks;
    timer_ = OperationTimer(ticks);
}

std::uint32_t TArchiverRoot::Ticks() const {
    return ticks_ != nullptr ? ticks_() : platform::TickCount();
}

void TArchiverRoot::WipeKey() {
    std::fill(key_.begin(), key_.end(), '\0');
    key_.clear();
}

// --- busy test and opening -------------------------------------------------------------

bool TArchiverRoot::CheckBusy() {
    if (!IsBusy()) return false;
    if (HasOption(options_, oShowBusyMessage))
        MessageDlg(Format(messages_->ArchiverBusy, ClassName()), MessageType::mtWarning,
                   MessageButtons::mbOK, 0);
    return true;
}

void TArchiverRoot::Open() {
    if (CheckBusy()) return;
    DoOpen();
}

void TArchiverRoot::DoOpen() {
    if (stream_) return;
    if (openFlag_) {
        // A reopen after a segment change: the header names the segment in use.
        fileName_ = GetSegmentFileName(header_.Segment);
        OpenStream();
        return;
    }
    StateBitScope opening(state_, sbOpening);
    currentSegment_ = 1;
    BeforeOpen();
    if (fileName_.empty()) throw EArchiver(messages_->FileNameNeeded);
    if (platform::FileExists(fileName_))
        OpenStream();
    else
        CreateArchive();
    try {
        bool accept = true;
        if (OnAcceptArchive) OnAcceptArchive(*this, header_, accept);
        if (!accept) throw EArchiver(messages_->AcceptArchiveFailed);
        PrepareArchive();
        openFlag_ = true;
        AllocateBuffers();
        AfterOpen();
    } catch (...) {
        DoClose();
        throw;
    }
}

void TArchiverRoot::EnsureOpen() {
    if (!openFlag_)
        DoOpen();
    else if (!stream_)
        OpenStream();
}

std::unique_ptr<platform::Stream> TArchiverRoot::CreateFileStream(const std::string& name,
                                                                  platform::OpenMode mode) {
    try {
        return platform::OpenFile(name, mode);
    } catch (const platform::PlatformError&) {
        const std::string& text = mode == platform::OpenMode::Read ? messages_->CannotOpenFile
                                                                   : messages_->CannotCreateFile;
        throw EArchiver(Format(text, name));
    }
}

void TArchiverRoot::OpenStream() {
    CloseStream();
    SetStartOffsetFor(fileName_);
    std::uint32_t attributes = platform::GetFileAttributes(fileName_);
    readOnly_ =
        attributes == platform::kInvalidAttributes || (attributes & platform::kAttrReadOnly) != 0;
    platform::OpenMode mode = readOnly_ ? platform::OpenMode::ReadDenyWrite : GetOpenMode();
    try {
        stream_ = CreateFileStream(fileName_, mode);
    } catch (const EArchiver&) {
        if (readOnly_) throw;
        readOnly_ = true;
        stream_ = CreateFileStream(fileName_, platform::OpenMode::ReadDenyWrite);
    }
    try {
        ReadAndCheckHeader();
        filesProcessed_ = 0;
    } catch (...) {
        stream_.reset();
        throw;
    }
}

void TArchiverRoot::ReadAndCheckHeader() {
    stream_->SetPosition(startOffset_);
    if (!ReadHeader(*stream_, header_)) throw EArchiver(Format(messages_->BadSignature, fileName_));
    if (header_.Version > kHighestVersion) throw Exception(messages_->UnknownVersion);
    // Buffers are sized from this field. An EndOffset short of the header is taken as it
    // stands: the walk over the entries then finds none.
    CheckHeaderBlockSize(header_, fileName_);
}

bool TArchiverRoot::ReadHeader(platform::Stream& s, TArchiveHeader& header) {
    if (!archive::ReadHeader(s, header, GetSignature())) return false;
    if (header.Segment < 2) {
        // An operation already running keeps the larger total found at open time, so a first
        // segment with incomplete totals cannot push progress beyond 100.
        double total = header_.ArchiveInfo.CompressedSize;
        totalBytes_ = IsBusy() && largestTotal_ > total ? largestTotal_ : total;
    }
    return true;
}

void TArchiverRoot::SetStartOffsetFor(const std::string& fileName) {
    startOffset_ = StartOffsetFor(fileName, sfxCodeSize_);
}

void TArchiverRoot::CreateArchive() {
    throw EArchiver(messages_->CanNotCreateArchive);
}

// --- closing -----------------------------------------------------------------------------

void TArchiverRoot::Close() {
    if (CheckBusy()) return;
    DoClose();
}

void TArchiverRoot::DoClose() {
    StateBitScope closing(state_, sbClosing);
    if (openFlag_) {
        BeforeClose();
        CloseStream();
        WipeKey();
        openFlag_ = false;
        AfterClose();
    } else {
        CloseStream();
    }
}

void TArchiverRoot::CloseStream() {
    if (!stream_) return;
    if (HasOption(options_, oCreateReadOnly) && (header_.Flags & kHeaderReadOnly) == 0) {
        header_.Flags |= kHeaderReadOnly;
        try {
            WriteHeader();
        } catch (const std::exception&) {
            // A stream opened for reading cannot take the mark; closing goes on.
        }
    }
    stream_.reset();
}

void TArchiverRoot::BeforeOpen() {
    ClearFileList();
    savedFileName_ = fileName_;
    savedOptions_ = options_;
    if (OnBeforeOpen) OnBeforeOpen(*this);
}

void TArchiverRoot::AfterOpen() {
    if (OnAfterOpen) OnAfterOpen(*this);
}

void TArchiverRoot::BeforeClose() {
    if (OnBeforeClose) OnBeforeClose(*this);
}

void TArchiverRoot::AfterClose() {
    if (HasOption(savedOptions_, oCreateSolidArchives)) {
        options_ = savedOptions_;
        fileName_ = savedFileName_;
        SplitFileName();
    }
    ClearFileList();
    if (!destroying_ && OnAfterClose) OnAfterClose(*this);
}

// --- header ------------------------------------------------------------------------------

std::int32_t TArchiverRoot::GetSignature() {
    std::int32_t signature = kArchiveSignature;
    if (OnGetSignature) OnGetSignature(*this, signature);
    return signature;
}

std::int64_t TArchiverRoot::GetHeaderSize() const {
    return HeaderSize(header_);
}

void TArchiverRoot::WriteHeader() {
    stream_->SetPosition(startOffset_);
    header_.UserData.fill(0);
    if (OnWriteUserData) OnWriteUserData(*this, header_.UserData);
    archive::WriteHeader(*stream_, header_, GetSignature(), HasState(sbAddingFile));
    AfterHeaderUpdate();
}

void TArchiverRoot::AfterHeaderUpdate() {
    if (OnAfterHeaderUpdate) OnAfterHeaderUpdate(*this);
}

std::string TArchiverRoot::GetSegmentFileName(int segment) {
    currentSegment_ = static_cast<std::uint16_t>(segment);
    return SegmentFileName(nameParts_, segment);
}

void TArchiverRoot::ReadFileEntry() {
    CheckSegmentEnd();
    archive::ReadFileEntry(*stream_, currentEntry_);
}

std::int64_t TArchiverRoot::SegmentEnd() const {
    return static_cast<std::int64_t>(startOffset_) + header_.EndOffset;
}

bool TArchiverRoot::SegmentExhausted() {
    return stream_->Position() >= SegmentEnd();
}

// --- file list, messages -----------------------------------------------------------------

void TArchiverRoot::ClearFileList() {
    fileList_.clear();
    if (!destroying_ && OnClearFileList) OnClearFileList(*this);
}

void TArchiverRoot::DisplayMessage(const std::string& text) {
    if (OnDisplayMessage) OnDisplayMessage(*this, text);
}

void TArchiverRoot::AddToLog(const std::string& text) {
    if (OnAddToLog) OnAddToLog(*this, text);
}

// --- prompts -----------------------------------------------------------------------------

MessageResult TArchiverRoot::MessageDlg(const std::string& text, MessageType type,
                                        MessageButtons buttons, int helpContext) {
    return CurrentPrompts().MessageDlg(text, type, buttons, helpContext);
}

bool TArchiverRoot::InputQuery(const std::string& caption, const std::string& prompt,
                               std::string& value) {
    return CurrentPrompts().InputQuery(caption, prompt, value);
}

bool TArchiverRoot::PasswordQuery(const std::string& caption, const std::string& prompt,
                                  std::string& value) {
    return CurrentPrompts().PasswordQuery(caption, prompt, value);
}

bool TArchiverRoot::SelectDirectory(std::string& dir) {
    return InputQuery(messages_->SystemMessage, messages_->SelectADirectory, dir);
}

bool TArchiverRoot::InputText(const std::string& prompt, std::string& value) {
    return InputQuery(messages_->SystemMessage, prompt, value);
}

} // namespace vexo::archive
