// ScriptedPrompts.h - prompts for tests: every prompt is recorded, answers come from a queue.
#pragma once

#include "archive/Prompts.h"

#include <deque>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vexo::test {

/// Raised when a prompt arrives with no fitting answer queued. Deliberately outside the
/// Exception family so no error policy of the archive layer swallows it.
class ScriptError : public std::logic_error {
  public:
    using std::logic_error::logic_error;
};

class ScriptedPrompts final : public archive::PromptService {
  public:
    /// Queues the button result of the next message box, overwrite or continue prompt;
    /// `whileAsked` as for QueueText.
    void QueueResult(archive::PromptResult result, std::function<void()> whileAsked = {});
    /// Queues the next text or password prompt: a value answers OK with it, nullopt Cancel.
    /// `whileAsked` runs before the answer is given, as what the user does while the prompt is
    /// up (another disk put in the drive).
    void QueueText(std::optional<std::string> value, std::function<void()> whileAsked = {});

    /// Every prompt shown so far, in order, as built from the prompt texts of its moment.
    const std::vector<archive::PromptView>& Records() const { return records_; }
    std::size_t PendingAnswers() const { return answers_.size(); }
    void Clear();

  private:
    struct Answer {
        bool isText = false;
        archive::PromptResult result;
        std::optional<std::string> text;
        std::function<void()> whileAsked;
    };
    archive::PromptResult Ask(const archive::PromptView& view) override;
    bool AskText(const archive::PromptView& view, std::string& value) override;
    Answer Take(const archive::PromptView& view, bool wantText);

    std::deque<Answer> answers_;
    std::vector<archive::PromptView> records_;
};

} // namespace vexo::test
