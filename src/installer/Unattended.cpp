// Unattended.cpp - the window's logic on a console, every question answered without a user.
#include "installer/Unattended.h"

#include "installer/InstallerTexts.h"
#include "installer/InstallerWindow.h"
#include "platform/DisplayText.h"
#include "platform/Encoding.h"
#include "platform/Paths.h"

#include <algorithm>
#include <ostream>
#include <vector>

namespace vexo::installer {

namespace {

// Every text printed here may hold a stored name: its control characters are shown escaped.
std::string Utf8(const std::string& cp1252) {
    return platform::DisplayText(cp1252);
}

/// One line for the console: the box's line breaks (CR LF) become blanks; a lone CR or LF is
/// a name's, and shown escaped.
std::string OneLine(const std::string& cp1252) {
    std::string out;
    for (char c : platform::DisplayMessage(cp1252, "\n")) {
        if (c == '\n') {
            if (!out.empty() && out.back() != ' ') out += ' ';
            continue;
        }
        out += c;
    }
    return out;
}

const char* OutcomeWord(FileOutcome o) {
    switch (o) {
    case FileOutcome::Written:
        return "written        ";
    case FileOutcome::Kept:
        return "kept           ";
    case FileOutcome::SkippedByRule:
        return "skipped by rule";
    case FileOutcome::Failed:
        return "failed         ";
    case FileOutcome::NotReached:
        return "not reached    ";
    }
    return "";
}

std::string EntryLine(const EntryOutcome& e) {
    std::string line = Utf8(e.storedName);
    if (!e.destination.empty()) line += " -> " + Utf8(e.destination);
    return line;
}

} // namespace

ConsoleView::ConsoleView(std::ostream& out, std::ostream& err, bool yes, bool terminal)
    : out_(out), err_(err), yes_(yes), terminal_(terminal) {}

void ConsoleView::EndProgressLine() {
    if (progressShown_) {
        out_ << "\r\033[K";
        progressShown_ = false;
    }
}

void ConsoleView::SetInstallDirectoryText(const std::string& text) {
    out_ << "Extraction root:    " << Utf8(text) << "\n";
}

void ConsoleView::SetExtractingFrom(const std::string& text) {
    out_ << Utf8(text) << "\n";
}

void ConsoleView::SetProgress(int percent) {
    if (!terminal_) return;
    out_ << "\r  " << percent << "%" << std::flush;
    progressShown_ = true;
}

bool ConsoleView::MessageBox(const std::string& text, BoxIcon icon, BoxButtons buttons) {
    EndProgressLine();
    std::ostream& to = icon == BoxIcon::Error ? err_ : out_;
    if (buttons == BoxButtons::Ok) {
        to << OneLine(text) << "\n";
        return true;
    }
    to << OneLine(text) << " [Vale/Cancelar] -> " << (yes_ ? "Vale" : "Cancelar") << "\n";
    if (!yes_) declined_ = true;
    return yes_;
}

void ConsoleView::ShowApplicationError(const std::string& title, const std::string& text) {
    EndProgressLine();
    errorShown_ = true;
    err_ << Utf8(title) << ": " << OneLine(text) << "\n";
}

void ConsoleView::ReportEntry(const EntryOutcome& outcome) {
    EndProgressLine();
    if (outcome.outcome == FileOutcome::Failed) ++failedFiles_;
    out_ << "  " << OutcomeWord(outcome.outcome) << "  " << EntryLine(outcome) << "\n";
}

void ConsoleView::ReportRunSummary(const RunSummary& summary) {
    EndProgressLine();
    if (summary.complete) {
        out_ << "Summary: " << summary.Written() << " written, " << summary.Kept() << " kept, "
             << summary.Failed() << " failed\n";
        return;
    }
    out_ << "The run stopped before the end: " << summary.Written() << " written, "
         << summary.Kept() << " kept, " << summary.Failed() << " failed, " << summary.NotReached()
         << " not reached\n";
    struct Group {
        const char* title;
        std::vector<FileOutcome> outcomes;
    };
    const Group groups[] = {{"written", {FileOutcome::Written}},
                            {"kept", {FileOutcome::Kept, FileOutcome::SkippedByRule}},
                            {"failed", {FileOutcome::Failed}},
                            {"not reached", {FileOutcome::NotReached}}};
    for (const Group& g : groups) {
        bool titled = false;
        for (const EntryOutcome& e : summary.entries) {
            if (std::find(g.outcomes.begin(), g.outcomes.end(), e.outcome) == g.outcomes.end())
                continue;
            if (!titled) out_ << "  " << g.title << ":\n";
            titled = true;
            out_ << "    " << EntryLine(e)
                 << (e.outcome == FileOutcome::SkippedByRule ? " (skipped by rule)" : "") << "\n";
        }
    }
    if (!summary.listComplete)
        out_ << "  The archive could not be read to its end: entries after those listed were "
                "not reached either.\n";
}

// ---- Prompts --------------------------------------------------------------------------------

archive::PromptResult UnattendedPrompts::Ask(const archive::PromptView& view) {
    // The go-ahead is the first button: Yes, or the first of a message box's set.
    archive::PromptResult goAhead =
        view.Buttons.empty() ? archive::MessageResult::idOK : view.Buttons.front().Result;
    if (view.Kind == archive::PromptKind::MessageDlg && view.Buttons.size() <= 1) {
        // Nothing to decline.
        err_ << Utf8(view.Caption) << ": " << OneLine(view.Lines.front()) << "\n";
        return goAhead;
    }
    std::string text;
    for (const std::string& line : view.Lines)
        text += (text.empty() ? "" : " ") + OneLine(line);
    archive::PromptResult answer = yes_ ? goAhead : archive::RefusingAnswer(view);
    std::string label;
    for (const auto& b : view.Buttons)
        if (b.Result == answer) label = b.Label;
    label.erase(std::remove(label.begin(), label.end(), '&'), label.end());
    err_ << Utf8(view.Caption) << ": " << text << " -> " << Utf8(label) << "\n";
    if (!yes_) view_.NoteDeclined();
    return answer;
}

bool UnattendedPrompts::AskText(const archive::PromptView& view, std::string&) {
    // There is nobody to type a text: even --yes cannot answer this one.
    err_ << Utf8(view.Caption) << ": " << OneLine(view.Lines.front()) << " -> Cancel\n";
    view_.NoteDeclined();
    return false;
}

// ---- The run --------------------------------------------------------------------------------

int RunUnattended(std::optional<std::string> directory, bool yes, InstallerServices& services,
                  std::ostream& out, std::ostream& err, bool terminal) {
    ConsoleView view(out, err, yes, terminal);
    view.SetDirectoryText(texts::DefaultDirectory());
    UnattendedPrompts prompts(view, err, yes);
    archive::ScopedPrompts installed(prompts);

    InstallerWindow window(view, services);
    if (!window.OnCreate())
        return view.Declined() && !view.ErrorShown() ? kExitDeclined : kExitFailed;
    out << "Package date:       " << Utf8(view.PackageDate()) << "\n"
        << "Package version:    " << Utf8(view.PackageVersion()) << "\n"
        << "Package title:      " << Utf8(view.PackageTitle()) << "\n"
        << "Proposed directory: " << Utf8(view.DirectoryText()) << "\n";
    if (directory) {
        std::string dir = directory->starts_with("/") ? platform::WindowsPath(*directory)
                                                      : platform::Utf8ToCp1252(*directory);
        view.SetDirectoryText(dir);
    }
    window.OnInstallClicked();
    if (window.LastRunResult() == RunResult::Finished)
        return view.FailedFiles() > 0 ? kExitFilesFailed : kExitFinished;
    if (view.Declined()) return kExitDeclined;
    return kExitFailed;
}

} // namespace vexo::installer
