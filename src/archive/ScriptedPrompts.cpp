// ScriptedPrompts.cpp - a recorder with a queue of answers.
#include "archive/ScriptedPrompts.h"

#include "platform/Encoding.h"

namespace vexo::archive {

void ScriptedPrompts::QueueResult(int result) {
    answers_.push_back({false, result, {}});
}

void ScriptedPrompts::QueueText(std::optional<std::string> value) {
    answers_.push_back({true, 0, std::move(value)});
}

void ScriptedPrompts::Clear() {
    answers_.clear();
    records_.clear();
}

ScriptedPrompts::Answer ScriptedPrompts::Take(const PromptView& view, bool wantText) {
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

int ScriptedPrompts::NextResult(PromptView view) {
    records_.push_back(view);
    return Take(view, false).result;
}

bool ScriptedPrompts::NextText(PromptView view, std::string& value) {
    records_.push_back(view);
    Answer a = Take(view, true);
    if (!a.text) return false;
    value = *a.text;
    return true;
}

int ScriptedPrompts::MessageDlg(const std::string& text, int type, unsigned buttons, int) {
    return NextResult(DescribeMessageDlg(text, type, buttons));
}

bool ScriptedPrompts::InputQuery(const std::string& caption, const std::string& prompt,
                                 std::string& value) {
    return NextText(DescribeInputQuery(caption, prompt, value, false), value);
}

bool ScriptedPrompts::PasswordQuery(const std::string& caption, const std::string& prompt,
                                    std::string& value) {
    return NextText(DescribeInputQuery(caption, prompt, value, true), value);
}

int ScriptedPrompts::OverwritePrompt(const OverwritePromptData& data) {
    return NextResult(DescribeOverwritePrompt(data));
}

int ScriptedPrompts::ContinuePrompt(const ContinuePromptData& data) {
    return NextResult(DescribeContinuePrompt(data));
}

ScopedPrompts::ScopedPrompts(PromptService& service) : previous_(&CurrentPrompts()) {
    SetCurrentPrompts(&service);
}

ScopedPrompts::~ScopedPrompts() {
    SetCurrentPrompts(previous_);
}

} // namespace vexo::archive
