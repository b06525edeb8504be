// ArchiverRoot.h - TArchiverRoot: the archive component the extractor derives from.
//
// It owns the archive stream and header, the current entry, the message set, the options, the
// operation bracket (nesting, block buffers, progress, timing, abort), the error policy, the key
// prompts, the file list and the events. Events are callables; an empty one means the built-in
// behaviour. Prompts go through CurrentPrompts().
#pragma once

#include "archive/BlockBuffer.h"
#include "archive/DateTime.h"
#include "archive/FileList.h"
#include "archive/Format.h"
#include "archive/Messages.h"
#include "archive/OperationTimer.h"
#include "archive/Prompts.h"
#include "platform/FileSystem.h"
#include "platform/Stream.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vexo::archive {

enum TErrorAction { eaContinue, eaAbort, eaAsk };

enum TOption {
    oStoreEmptyFolders = 0,
    oShowEmptyFolders,
    oCreateReadOnly,
    oCreateSolidArchives,
    oCompress,
    oCrypt,
    oEraseFirstDisk,
    oEraseNewDisk,
    oConfirmFileDeletion,
    oEnumerateAfterOpen,
    oIncludeStartingDirectory,
    oRecurseFolders,
    oOpenSingleSegment,
    oRestorePath,
    oSecureAccess,
    oWriteSFXCode,
    oEncryptFiles,
    oMaintainFileDirectory,
    oNoSpanning,
    oShowBusyMessage,
    oDoNotUpdateFirstSegment = 20,
};

/// A 32-bit set of TOption; bit = ordinal.
using TOptions = std::uint32_t;
constexpr TOptions OptionBit(TOption o) {
    return TOptions{1} << static_cast<unsigned>(o);
}
constexpr bool HasOption(TOptions set, TOption o) {
    return (set & OptionBit(o)) != 0;
}
/// The set a new component starts with (0x00086991).
constexpr TOptions kDefaultOptions = 551313;

/// Current operation kinds.
enum TOperation : std::uint8_t {
    opNone = 0,
    opAdd = 1,
    opExtract = 2,
    opEnumerate = 3,
    opRead = 6
};

/// State bits (a 16-bit set).
enum TStateBit : unsigned {
    sbAddingFile = 0,
    sbCopyingBlocks = 1,
    sbSkippingFile = 2,
    sbChangingSegment = 3,
    sbOpening = 4,
    sbClosing = 5,
    sbUnpackingSolid = 6,
    sbAbortNotAllowed = 7,
    sbEnumeratingAfterOpen = 8,
};

/// Where the last operation stands. A reading run sets RunningOrFailed as it starts and
/// Completed only when it got through, so one that ends early keeps RunningOrFailed.
enum class TOperationStatus {
    Idle = 0, // no operation yet, or one starting
    RunningOrFailed = -1,
    Completed = 1,
    AbortRequested = -2,
};

class TArchiverRoot {
  public:
    TArchiverRoot();
    virtual ~TArchiverRoot();
    TArchiverRoot(const TArchiverRoot&) = delete;
    TArchiverRoot& operator=(const TArchiverRoot&) = delete;

    /// The class name shown in the busy message.
    virtual std::string ClassName() const { return "TArchiverRoot"; }

    // Properties.
    std::int32_t BlockSize() const { return blockSize_; }
    void SetBlockSize(std::int32_t value);
    TErrorAction ErrorAction() const { return errorAction_; }
    void SetErrorAction(TErrorAction value) { errorAction_ = value; }
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& value);
    const std::string& Filter() const { return filter_; }
    void SetFilter(const std::string& value) { filter_ = value; }
    TLanguage Language() const { return messages_->Language(); }
    void SetLanguage(TLanguage value);
    TMessages& Messages() { return *messages_; }
    const TMessages& Messages() const { return *messages_; }
    void SetMessages(const TMessages& value) { messages_->Assign(value); }
    TOptions Options() const { return options_; }
    void SetOptions(TOptions value) { options_ = value; }
    std::int32_t SFXCodeSize() const { return sfxCodeSize_; }
    void SetSFXCodeSize(std::int32_t value) { sfxCodeSize_ = value; }

    // Read access for the application.
    const TArchiveHeader& Header() const { return header_; }
    const TFileEntry& CurrentEntry() const { return currentEntry_; }
    TOperationStatus OperationStatus() const { return operationStatus_; }
    void SetOperationStatus(TOperationStatus value) { operationStatus_ = value; }
    int Percent() const { return percent_; }
    const TFileList& FileList() const { return fileList_; }
    std::int32_t StartOffset() const { return startOffset_; }
    std::uint16_t CurrentSegment() const { return currentSegment_; }
    bool IsReadOnly() const { return readOnly_; }
    double TotalBytes() const { return totalBytes_; }
    double ProcessedBytes() const { return processedBytes_; }
    int FilesProcessed() const { return filesProcessed_; }
    TOperation CurrentOperation() const { return operation_; }
    bool HasState(TStateBit bit) const { return (state_ & (1u << bit)) != 0; }
    const OperationTimer& Timer() const { return timer_; }

    // Operations.
    void Open();
    void Close();
    bool IsOpen() const { return stream_ != nullptr; }
    /// Busy count above 0.
    bool IsBusy() const { return busyCount_ > 0; }
    /// IsBusy that also shows the busy warning when `oShowBusyMessage` is on.
    bool CheckBusy();
    /// `OperationStatus` := AbortRequested and the running operation stops at its next progress
    /// point.
    void RequestAbort();
    /// Copies the settings of another component (the open flag, start offset, sizes, names,
    /// language, messages and options).
    virtual void Assign(const TArchiverRoot& source);
    /// After stored settings were loaded: an automatic language reloads the built-in texts.
    void Loaded();
    /// Decides whether the run goes on after `e` failed the current entry (true = continue).
    bool HandleError(const std::exception& e);
    /// A free name "%s~Archiv-%x.tmp" in the temporary directory.
    std::string MakeTempFileName();
    /// Creates `dir` and its missing parents; failures show in the file creation that follows.
    void CreateDirectoryPath(const std::string& dir);
    void ClearFileList();
    void DisplayMessage(const std::string& text);
    void AddToLog(const std::string& text);
    /// Test hook: the tick source of the timer and of temporary names.
    void SetTickSource(OperationTimer::TickSource ticks);

    // Events.
    std::function<void(TArchiverRoot& Sender, const TArchiveHeader& Header, bool& Accept)>
        OnAcceptArchive;
    std::function<void(TArchiverRoot& Sender, TUserData& UserData)> OnWriteUserData;
    std::function<void(TArchiverRoot& Sender, const std::exception& E, const TFileEntry& FileEntry,
                       TErrorAction& ErrorAction)>
        OnError;
    std::function<void(TArchiverRoot& Sender, int Percent)> OnFileProgress;
    std::function<void(TArchiverRoot& Sender)> OnFinishOperation;
    std::function<void(TArchiverRoot& Sender)> OnStartOperation;
    std::function<void(TArchiverRoot& Sender, std::string& Key)> OnEnterCryptKey;
    std::function<void(TArchiverRoot& Sender, std::string& Key)> OnRequestCryptKey;
    std::function<void(TArchiverRoot& Sender)> OnBeforeOpen;
    std::function<void(TArchiverRoot& Sender)> OnAfterOpen;
    std::function<void(TArchiverRoot& Sender)> OnBeforeClose;
    std::function<void(TArchiverRoot& Sender)> OnAfterClose;
    std::function<void(TArchiverRoot& Sender, std::int32_t& Signature)> OnGetSignature;
    std::function<void(TArchiverRoot& Sender)> OnAfterHeaderUpdate;
    std::function<void(TArchiverRoot& Sender, const std::string& Comment)> OnShowComment;
    std::function<void(TArchiverRoot& Sender, TDateTime ElapsedTime, TDateTime RemainingTime)>
        OnShowTiming;
    std::function<void(TArchiverRoot& Sender, const std::string& msg)> OnDisplayMessage;
    std::function<void(TArchiverRoot& Sender)> OnClearFileList;
    std::function<void(TArchiverRoot& Sender, const std::string& msg)> OnAddToLog;

  protected:
    /// Derived components hand in their own message set (the constructor cannot call a
    /// derived CreateMessages).
    explicit TArchiverRoot(std::unique_ptr<TMessages> messages);

    // Virtual operations, in slot order.
    virtual std::int32_t GetSignature();
    virtual std::int64_t GetHeaderSize() const;
    virtual void WriteHeader();
    virtual bool ReadHeader(platform::Stream& s, TArchiveHeader& header);
    virtual void StartOperation();
    virtual void FinishOperation();
    virtual void InitializeComponents() {}
    virtual void InitializeCipher() {}
    virtual void EnterCryptKey();
    virtual void RequestCryptKey();
    virtual int GetMinKeyLength() const { return 10; }
    virtual std::size_t GetBufferSize() const;
    virtual std::string GetSegmentFileName(int segment);
    virtual void BeforeOpen();
    virtual void AfterOpen();
    virtual void BeforeClose();
    virtual void AfterClose();
    virtual void AfterHeaderUpdate();
    virtual void PrepareArchive() {}
    virtual void CreateArchive();
    virtual platform::OpenMode GetOpenMode() const { return platform::OpenMode::Read; }
    virtual bool CheckSegmentEnd() { return false; }
    virtual bool SelectDirectory(std::string& dir);
    virtual bool InputText(const std::string& prompt, std::string& value);
    virtual MessageResult MessageDlg(const std::string& text, MessageType type,
                                     MessageButtons buttons, int helpContext);
    virtual bool InputQuery(const std::string& caption, const std::string& prompt,
                            std::string& value);
    virtual bool PasswordQuery(const std::string& caption, const std::string& prompt,
                               std::string& value);
    virtual void SetStartOffsetFor(const std::string& fileName);
    virtual void AfterOpenHook() {}
    virtual void BeforeCloseHook() {}

    // Helpers for the extractor.
    /// Not open → Open; open with the stream closed → open the stream.
    void EnsureOpen();
    /// Opens the stream on FileName and reads and checks its header.
    void OpenStream();
    void CloseStream();
    /// Reads and checks the header at the start offset of the open stream.
    void ReadAndCheckHeader();
    /// Reads an entry record at the stream's position into the current entry, moving on to
    /// the next segment first when this one is exhausted.
    void ReadFileEntry();
    /// Abort check, new Percent, OnFileProgress, timing.
    void ShowProgress();
    /// Raises EAbort when an abort was requested (by RequestAbort or the console's stop
    /// request) and is allowed now.
    void CheckAbort();
    /// After a segment change: a larger whole-archive total grows the operation's total.
    void GrowTotal();
    /// Creates a file stream, turning a platform failure into the message set's text.
    std::unique_ptr<platform::Stream> CreateFileStream(const std::string& name,
                                                       platform::OpenMode mode);
    /// The archive start + EndOffset of the open segment.
    std::int64_t SegmentEnd() const;
    bool SegmentExhausted();
    void SetState(TStateBit bit, bool on);
    /// Splits FileName into its segment-name parts.
    void SplitFileName();
    /// Stores a name without closing and without splitting it (segment and solid switches).
    void AssignFileNameDirect(const std::string& name) { fileName_ = name; }

    // State shared with the extractor.
    TOperationStatus operationStatus_ = TOperationStatus::Idle;
    TArchiveHeader header_;
    std::string fileName_;
    std::unique_ptr<platform::Stream> stream_;
    std::string filter_ = "*.*";
    double totalBytes_ = 0;
    double processedBytes_ = 0;
    int percent_ = 0;
    int busyCount_ = 0;
    std::int32_t blockSize_ = 65536;
    BlockBuffer inBuffer_;  // a block's payload as read
    BlockBuffer outBuffer_; // the decoded bytes
    TErrorAction errorAction_ = eaAsk;
    TFileEntry currentEntry_;
    int filesProcessed_ = 0;
    TOperation operation_ = opNone;
    std::unique_ptr<TMessages> messages_;
    std::uint16_t state_ = 0;
    ArchiveNameParts nameParts_;
    double largestTotal_ = 0;
    bool openFlag_ = false;
    std::string key_;
    bool readOnly_ = false;
    std::int32_t startOffset_ = 0;
    TOptions options_ = kDefaultOptions;
    std::string savedFileName_;
    TOptions savedOptions_ = 0;
    std::uint16_t currentSegment_ = 0;
    std::int32_t sfxCodeSize_ = 0;
    bool errorYesToAll_ = false;
    TFileList fileList_;
    bool abortFlag_ = false;
    OperationTimer timer_;
    OperationTimer::TickSource ticks_ = nullptr;
    bool destroying_ = false;

    /// Runs `body` inside an operation already started: FinishOperation follows on every
    /// way out.
    template <typename Body> void Bracketed(Body&& body) {
        // An operation walks many names in few directories: list each directory once.
        platform::LookupCacheScope lookups;
        try {
            body();
        } catch (...) {
            FinishOperation();
            throw;
        }
        FinishOperation();
    }
    /// Open without the busy check: operations open the archive from inside their bracket.
    void DoOpen();
    /// Close without the busy check.
    void DoClose();
    /// Pauses the operation timer around a prompt.
    void PauseTiming() { timer_.Pause(processedBytes_); }
    void ResumeTiming() { timer_.Resume(); }
    /// Overwrites the key text before forgetting it.
    void WipeKey();
    std::uint32_t Ticks() const;

  private:
    void AllocateBuffers();
    void FreeBuffers();
};

/// Sets a state bit for a scope and clears it on every way out.
class StateBitScope {
  public:
    StateBitScope(std::uint16_t& state, TStateBit bit) : state_(state), bit_(bit) {
        state_ = static_cast<std::uint16_t>(state_ | (1u << bit_));
    }
    ~StateBitScope() { state_ = static_cast<std::uint16_t>(state_ & ~(1u << bit_)); }
    StateBitScope(const StateBitScope&) = delete;
    StateBitScope& operator=(const StateBitScope&) = delete;

  private:
    std::uint16_t& state_;
    TStateBit bit_;
};

/// Progress rule: ratio × 100 rounded half to even, halved while unpacking a solid archive,
/// halved plus 50 while enumerating after open.
int ProgressPercent(double done, double total, bool unpackingSolid, bool enumeratingAfterOpen);

} // namespace vexo::archive
