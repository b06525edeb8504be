// ScriptedPrompts.cpp - a recorder with a queue of answers.
#include "common/ScriptedPrompts.h"

#include "platform/Encoding.h"

namespace vexo::test {

void ScriptedPrompts::QueueResult(archive::PromptResult result, std::function<void()> whileAsked) {
    answers_.push_back({false, result, {}, std::move(whileAsked)});
}

void ScriptedPrompts::QueueText(std::optional<std::string> value,
                                std::function<void()> whileAsked) {
    answers_.push_back({true, {}, std::move(value), std::move(whileAsked)});
}

void ScriptedPrompts::Clear() {
    answers_.clear();
    records_.clear();
}

ScriptedPrompts::Answer ScriptedPrompts::Take(const archive::PromptView& view, bool wantText) {
    std::string what = platform::Cp1252ToUtf8(view.Caption) +
                       (view.Lines.empty() ? "" : ": " + platform::Cp1252ToUtf8(view.Lines[0]));
    if (answers_.empty()) throw ScriptError("no answer queued for prompt \"" + what + "\"");
    if (answers_.front().isText != wantText)
        throw ScriptError(std::string("queued answer is a ") +
                          (wantText ? "button result" : "text") + " but the prompt \"" + what +
                          "\" wants the other kind");
    Answer a = std::move(answers_.front());
    answers_.pop_front();
    return a;
}

archive::PromptResult ScriptedPrompts::Ask(const archive::PromptView& view) {
    records_.push_back(view);
    Answer a = Take(view, false);
    if (a.whileAsked) a.whileAsked();
    return a.result;
}

bool ScriptedPrompts::AskText(const archive::PromptView& view, std::string& value) {
    records_.push_back(view);
    Answer a = Take(view, true);
    if (a.whileAsked) a.whileAsked();
    if (!a.text) return false;
    value = *a.text;
    return true;
}

} // namespace vexo::test
