// ConsolePrompts.cpp - a plain question-and-answer dialogue on the terminal.
#include "console/ConsolePrompts.h"

#include "platform/DisplayText.h"
#include "platform/Encoding.h"
#include "platform/Interrupt.h"
#include "platform/Terminal.h"

#include <iostream>
#include <string>

namespace vexo::console {

using archive::PromptKind;
using archive::PromptResult;
using archive::PromptView;

namespace {

std::string WithoutAccelerator(const std::string& label) {
    std::string out;
    for (char c : label)
        if (c != '&') out += c;
    return out;
}

std::string Trim(const std::string& s) {
    std::size_t b = s.find_first_not_of(" \t\r");
    std::size_t e = s.find_last_not_of(" \t\r");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

// A prompt's texts may hold a stored name: control characters are shown, never sent.
std::string Utf8(const std::string& cp1252) {
    return platform::DisplayText(cp1252);
}

} // namespace

ConsolePrompts::ConsolePrompts()
    : ConsolePrompts(std::cin, std::cout, std::cerr,
                     platform::IsTerminal(platform::StandardStream::Input)) {}

ConsolePrompts::ConsolePrompts(std::istream& in, std::ostream& out, std::ostream& err,
                               bool interactive)
    : in_(in), out_(out), err_(err), interactive_(interactive) {}

void ConsolePrompts::Show(const PromptView& view) {
    out_ << "== " << Utf8(view.Caption) << " ==\n";
    for (const auto& line : view.Lines)
        out_ << "  " << platform::DisplayMessage(line, "\n  ") << '\n';
}

PromptResult ConsolePrompts::Refuse(const PromptView& view) {
    PromptResult answer = archive::RefusingAnswer(view);
    std::string label = "Cancel";
    for (const auto& b : view.Buttons)
        if (b.Result == answer) label = WithoutAccelerator(b.Label);
    err_ << "No terminal to answer \"" << Utf8(view.Caption) << "\"";
    if (!view.Lines.empty())
        err_ << " (" << platform::DisplayMessage(view.Lines.front(), " ") << ")";
    err_ << "; answering " << Utf8(label) << ".\n";
    return answer;
}

PromptResult ConsolePrompts::Unanswered(const PromptView& view) {
    // A stop request interrupts the read: the prompt is cancelled, the request ends the run.
    if (platform::InterruptRequested()) return archive::RefusingAnswer(view);
    return Refuse(view);
}

PromptResult ConsolePrompts::Ask(const PromptView& view) {
    if (!interactive_) return Refuse(view);
    if (platform::InterruptRequested()) return archive::RefusingAnswer(view);
    Show(view);
    for (;;) {
        for (std::size_t i = 0; i < view.Buttons.size(); ++i)
            out_ << "  [" << i + 1 << "] " << Utf8(WithoutAccelerator(view.Buttons[i].Label));
        out_ << "\n> " << std::flush;
        std::string line;
        if (!std::getline(in_, line)) return Unanswered(view);
        std::string answer = platform::UpperAscii(platform::Utf8ToCp1252(Trim(line)));
        for (std::size_t i = 0; i < view.Buttons.size(); ++i) {
            std::string label = platform::UpperAscii(WithoutAccelerator(view.Buttons[i].Label));
            if (answer == std::to_string(i + 1) || (!answer.empty() && answer == label))
                return view.Buttons[i].Result;
        }
    }
}

bool ConsolePrompts::AskText(const PromptView& view, std::string& value) {
    if (!interactive_) {
        Refuse(view);
        return false;
    }
    if (platform::InterruptRequested()) return false;
    Show(view);
    if (!view.Value.empty() && view.Kind != PromptKind::PasswordQuery)
        out_ << "  [" << Utf8(view.Value) << "]\n";
    out_ << "> " << std::flush;
    std::string line;
    if (!std::getline(in_, line)) {
        Unanswered(view);
        return false;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // The dialog's edit field holds at most 511 characters.
    value = platform::Utf8ToCp1252(line).substr(0, 511);
    return true;
}

} // namespace vexo::console
