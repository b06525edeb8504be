// Prompts.h - the modal prompts as an abstract service, and what every implementation shows.
#pragma once

#include "archive/DateTime.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vexo::archive {

// Message box types.
inline constexpr int mtWarning = 0;
inline constexpr int mtError = 1;
inline constexpr int mtInformation = 2;
inline constexpr int mtConfirmation = 3;

// Message box button set bits.
inline constexpr unsigned mbYes = 1;
inline constexpr unsigned mbNo = 2;
inline constexpr unsigned mbOK = 4;
inline constexpr unsigned mbCancel = 8;
inline constexpr unsigned mbAbort = 16;
inline constexpr unsigned mbRetry = 32;
inline constexpr unsigned mbIgnore = 64;

// Message box results.
inline constexpr int idOK = 1;
inline constexpr int idCancel = 2;
inline constexpr int idAbort = 3;
inline constexpr int idRetry = 4;
inline constexpr int idIgnore = 5;
inline constexpr int idYes = 6;
inline constexpr int idNo = 7;

// Overwrite prompt results (dialog control ids); 0 when the window is closed.
inline constexpr int kOverwriteYes = 6;
inline constexpr int kOverwriteYesToAll = 102;
inline constexpr int kOverwriteNo = 101;
inline constexpr int kOverwriteCancel = 2;
inline constexpr int kPromptClosed = 0;

// Continue prompt results; 0 when the window is closed.
inline constexpr int kContinueYes = 6;
inline constexpr int kContinueYesToAll = 102;
inline constexpr int kContinueNo = 2;

struct OverwritePromptData {
    std::string ExistingName; // already shortened by the caller
    std::string ArchivedName;
    std::int64_t ExistingSize = 0;
    std::int64_t ArchivedSize = 0;
    TDateTime ExistingDate = 0;
    TDateTime ArchivedDate = 0;
};

struct ContinuePromptData {
    std::string ErrorText;
    std::string FileName;
    std::int64_t Size = 0;
    TDateTime Date = 0;
};

/// "%.0n bytes  %s": the size with "." between groups of three digits, two blanks, the date as
/// dd/mm/yyyy and the time as h:mm:ss (the Spanish short date and long time forms).
std::string FormatSizeAndDate(std::int64_t size, TDateTime date);

enum class PromptKind { MessageDlg, InputQuery, PasswordQuery, Overwrite, Continue };

struct PromptButton {
    std::string Label; // Windows-1252, with its "&" accelerator marker
    int Result = 0;
};

/// What a prompt shows, built from the current prompt texts, so every implementation shows
/// the same captions, labels and buttons.
struct PromptView {
    PromptKind Kind = PromptKind::MessageDlg;
    std::string Caption;
    std::vector<std::string> Lines; // labels and values, top to bottom
    std::vector<PromptButton> Buttons;
    int Type = mtInformation; // message boxes only
    unsigned ButtonSet = 0;   // message boxes only: the set asked for
    std::string Value;        // text prompts: the value shown at opening
};

PromptView DescribeMessageDlg(const std::string& text, int type, unsigned buttons);
PromptView DescribeInputQuery(const std::string& caption, const std::string& prompt,
                              const std::string& value, bool password);
PromptView DescribeOverwritePrompt(const OverwritePromptData& data);
PromptView DescribeContinuePrompt(const ContinuePromptData& data);

/// The answer an implementation without a user gives: Cancel when offered, else No, else the
/// only remaining choice that does not go on (Abort, then the last button).
int RefusingAnswer(const PromptView& view);

class PromptService {
  public:
    virtual ~PromptService() = default;
    /// \returns the id of the pressed button (idOK ... idNo).
    virtual int MessageDlg(const std::string& text, int type, unsigned buttons,
                           int helpContext) = 0;
    /// \returns true with the new value on OK; false leaves `value` as it was.
    virtual bool InputQuery(const std::string& caption, const std::string& prompt,
                            std::string& value) = 0;
    virtual bool PasswordQuery(const std::string& caption, const std::string& prompt,
                               std::string& value) = 0;
    /// \returns kOverwriteYes, kOverwriteYesToAll, kOverwriteNo, kOverwriteCancel or 0.
    virtual int OverwritePrompt(const OverwritePromptData& data) = 0;
    /// \returns kContinueYes, kContinueYesToAll, kContinueNo or 0.
    virtual int ContinuePrompt(const ContinuePromptData& data) = 0;
};

/// The process-wide service; the console one unless another was set.
PromptService& CurrentPrompts();
/// nullptr restores the console service. The caller keeps ownership.
void SetCurrentPrompts(PromptService* service);

} // namespace vexo::archive
