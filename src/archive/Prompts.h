// Prompts.h - the modal prompts: their answer types, what every service shows, the front every
// service shares and the service in use.
#pragma once

#include "archive/DateTime.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vexo::archive {

/// A message box's type, which gives its caption and icon; any other value shows information.
enum class MessageType { mtWarning = 0, mtError = 1, mtInformation = 2, mtConfirmation = 3 };

/// A message box's buttons: each enumerator is one bit, a box asks for a set of them.
enum class MessageButtons : unsigned {
    mbYes = 1,
    mbNo = 2,
    mbOK = 4,
    mbCancel = 8,
    mbAbort = 16,
    mbRetry = 32,
    mbIgnore = 64,
};

constexpr MessageButtons operator|(MessageButtons a, MessageButtons b) {
    return static_cast<MessageButtons>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}

/// True when `set` holds every button of `wanted`.
constexpr bool Has(MessageButtons set, MessageButtons wanted) {
    return (static_cast<unsigned>(set) & static_cast<unsigned>(wanted)) ==
           static_cast<unsigned>(wanted);
}

/// The platform's code of the button pressed in a message box.
enum class MessageResult {
    idOK = 1,
    idCancel = 2,
    idAbort = 3,
    idRetry = 4,
    idIgnore = 5,
    idYes = 6,
    idNo = 7,
};

/// The overwrite prompt's answer: the dialog control id of the pressed button, 0 when the
/// window was closed.
enum class OverwriteAnswer { Closed = 0, Cancel = 2, Yes = 6, No = 101, YesToAll = 102 };

/// The continue prompt's answer: the dialog control id of the pressed button, 0 when the
/// window was closed.
enum class ContinueAnswer { Closed = 0, No = 2, Yes = 6, YesToAll = 102 };

/// What a button prompt answers, whatever its kind: the dialog control id of the pressed
/// button, read as the answer type of the prompt's kind; 0 when the window was closed.
class PromptResult {
  public:
    constexpr PromptResult() = default;
    constexpr PromptResult(MessageResult r) : id_(static_cast<int>(r)) {}
    constexpr PromptResult(OverwriteAnswer a) : id_(static_cast<int>(a)) {}
    constexpr PromptResult(ContinueAnswer a) : id_(static_cast<int>(a)) {}

    constexpr int Id() const { return id_; }
    template <typename Answer> constexpr Answer As() const { return static_cast<Answer>(id_); }
    constexpr bool operator==(const PromptResult&) const = default;

  private:
    int id_ = 0;
};

/// The result of a prompt whose window was closed without a button.
inline constexpr PromptResult kPromptClosed{};

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
    PromptResult Result;
};

/// What a prompt shows, built from the current prompt texts, so every implementation shows
/// the same captions, labels and buttons.
struct PromptView {
    PromptKind Kind = PromptKind::MessageDlg;
    std::string Caption;
    std::vector<std::string> Lines; // labels and values, top to bottom
    std::vector<PromptButton> Buttons;
    MessageType Type = MessageType::mtInformation; // message boxes only
    MessageButtons ButtonSet{};                    // message boxes only: the set asked for
    std::string Value;                             // text prompts: the value shown at opening
};

PromptView DescribeMessageDlg(const std::string& text, MessageType type, MessageButtons buttons);
PromptView DescribeInputQuery(const std::string& caption, const std::string& prompt,
                              const std::string& value, bool password);
PromptView DescribeOverwritePrompt(const OverwritePromptData& data);
PromptView DescribeContinuePrompt(const ContinuePromptData& data);

/// The answer an implementation without a user gives: Cancel when offered, else No, else the
/// only remaining choice that does not go on (Abort, then the last button).
PromptResult RefusingAnswer(const PromptView& view);

/// The component's five modal prompts. Each call describes its prompt and hands it to the
/// service, which differs from another only in how it shows a description and gets the answer.
class PromptService {
  public:
    virtual ~PromptService() = default;

    MessageResult MessageDlg(const std::string& text, MessageType type, MessageButtons buttons,
                             int helpContext);
    /// \returns true with the new value on OK; false leaves `value` as it was.
    bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value);
    bool PasswordQuery(const std::string& caption, const std::string& prompt, std::string& value);
    OverwriteAnswer OverwritePrompt(const OverwritePromptData& data);
    ContinueAnswer ContinuePrompt(const ContinuePromptData& data);

  protected:
    /// A message box, overwrite or continue prompt: the pressed button's result.
    virtual PromptResult Ask(const PromptView& view) = 0;
    /// An input or password prompt: true with the typed value on OK; false leaves `value`.
    virtual bool AskText(const PromptView& view, std::string& value) = 0;
};

/// Nobody to answer: every button prompt gets RefusingAnswer, every text prompt is cancelled,
/// and nothing is said.
class RefusingPrompts final : public PromptService {
  private:
    PromptResult Ask(const PromptView& view) override { return RefusingAnswer(view); }
    bool AskText(const PromptView&, std::string&) override { return false; }
};

/// The process-wide service; a refusing one unless another was set.
PromptService& CurrentPrompts();
/// nullptr restores the refusing service. The caller keeps ownership.
void SetCurrentPrompts(PromptService* service);

/// Installs a service as the current one for a scope and restores the previous one after.
class ScopedPrompts {
  public:
    explicit ScopedPrompts(PromptService& service);
    ~ScopedPrompts();
    ScopedPrompts(const ScopedPrompts&) = delete;
    ScopedPrompts& operator=(const ScopedPrompts&) = delete;

  private:
    PromptService* previous_;
};

} // namespace vexo::archive
