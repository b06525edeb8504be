// Messages.h - the message sets of the archive component and of the extractor.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vexo::archive {

enum class TLanguage : std::uint8_t {
    lgAutomatic,
    lgEnglish,
    lgFrench,
    lgChinese,
    lgPortuguese,
    lgGerman,
    lgItalian,
    lgRussian,
    lgSpanish,
    lgDanish,
    lgDutch,
    lgCzech,
};

/// The 29 texts of the archive component. Every language loads the same Spanish texts.
/// All texts are Windows-1252.
class TMessages {
  public:
    TMessages();
    virtual ~TMessages() = default;
    TMessages(const TMessages&) = default;
    TMessages& operator=(const TMessages&) = default;

    TLanguage Language() const { return language_; }

    /// Stores the language and loads the built-in texts.
    virtual void SetLanguageTexts(TLanguage language);
    /// Copies the prompt-text keys into the global prompt texts.
    virtual void PublishPromptTexts() const;
    void ChooseLanguage(TLanguage language);
    /// Copies every text of `source` (the extractor set also its own 19 when `source` has
    /// them), then publishes the prompt texts.
    virtual void Assign(const TMessages& source);

    /// Every text with its key, in property order (for storing and loading settings).
    virtual std::vector<std::pair<std::string_view, std::string*>> Texts();

    std::string BadSignature;
    std::string FileNameNeeded;
    std::string SystemMessage;
    std::string AcceptArchiveFailed;
    std::string EnterCryptKey;
    std::string EnterDecryptKey;
    std::string KeyTooShort;
    std::string ConfirmCryptKey;
    std::string KeyNotConfirmed;
    std::string ArchiveIsReadOnly;
    std::string CanNotCreateArchive;
    std::string CannotCreateDir;
    std::string SelectADirectory;
    std::string Ok;
    std::string Cancel;
    std::string Information;
    std::string Warning;
    std::string Confirmation;
    std::string Error;
    std::string CanNotBuildTempFileName;
    std::string Yes;
    std::string YesToAll;
    std::string No;
    std::string AFile;
    std::string CanContinue;
    std::string UnknownVersion;
    std::string CannotCreateFile;
    std::string CannotOpenFile;
    std::string ArchiverBusy;

  protected:
    void LoadOwnTexts();
    void CopyOwnTexts(const TMessages& source);

  private:
    TLanguage language_ = TLanguage::lgAutomatic;
};

/// The extractor's set: the 29 plus 19.
class TExtrMessages : public TMessages {
  public:
    TExtrMessages();

    void SetLanguageTexts(TLanguage language) override;
    void PublishPromptTexts() const override;
    void Assign(const TMessages& source) override;
    std::vector<std::pair<std::string_view, std::string*>> Texts() override;

    std::string CouldNotUncompressBlock;
    std::string AskOverwrite; // no built-in text
    std::string NeedExtractPath;
    std::string InsertDisk;
    std::string LocateSegment;
    std::string WrongSegment;
    std::string InsertLastSegment;
    std::string LocateLastSegment;
    std::string WrongLastSegment;
    std::string WrongNextSegment;
    std::string BadCRC;
    std::string BadKey;
    std::string ReplaceFile;
    std::string WithFile;
    std::string ConfirmFileOverwrite;
    std::string ExtractingFile;
    std::string LoadingArchiveContnent;
    std::string UncompressingSolidArchive;
    std::string CheckingFile;
};

} // namespace vexo::archive
