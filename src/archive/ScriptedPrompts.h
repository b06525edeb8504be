// ScriptedPrompts.h - prompts for tests: every prompt is recorded, answers come from a queue.
#pragma once

#include "archive/Prompts.h"

#include <deque>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vexo::archive {

/// Raised when a prompt arrives with no fitting answer queued. Deliberately outside the
/// Exception family so no error policy of the archive layer swallows it.
class ScriptError : public std::logic_error {
  public:
    using std::logic_error::logic_error;
};

class ScriptedPrompts final : public PromptService {
  public:
    /// Queues the button result of the next message box, overwrite or continue prompt.
    void QueueResult(int result);
    /// Queues the next text or password prompt: a value answers OK with it, nullopt Cancel.
    void QueueText(std::optional<std::string> value);

    /// Every prompt shown so far, in order, as built from the prompt texts of its moment.
    const std::vector<PromptView>& Records() const { return records_; }
    std::size_t PendingAnswers() const { return answers_.size(); }
    void Clear();

    int MessageDlg(const std::string& text, int type, unsigned buttons, int helpContext) override;
    bool InputQuery(const std::string& caption, const std::string& prompt,
                    std::string& value) override;
    bool PasswordQuery(const std::string& caption, const std::string& prompt,
                       std::string& value) override;
    int OverwritePrompt(const OverwritePromptData& data) override;
    int ContinuePrompt(const ContinuePromptData& data) override;

  private:
    struct Answer {
        bool isText = false;
        int result = 0;
        std::optional<std::string> text;
    };
    int NextResult(PromptView view);
    bool NextText(PromptView view, std::string& value);
    Answer Take(const PromptView& view, bool wantText);

    std::deque<Answer> answers_;
    std::vector<PromptView> records_;
};

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
