// RecordingView.h - a view that remembers what the window's logic did to it and answers its
// boxes from a queue.
#pragma once

#include "installer/InstallerWindow.h"
#include "installer/MainView.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vexo::installer::test {

struct Box {
    std::string text;
    BoxIcon icon;
    BoxButtons buttons;
};

class ScriptedBrowser final : public environment::FolderBrowser {
  public:
    std::optional<std::string> choice; // nullopt: the user cancels
    std::string shownTitle, shownPath;
    bool BrowseForFolder(void*, std::string& path, std::string_view title, bool) override {
        shownTitle = title;
        shownPath = path;
        if (!choice) return false;
        path = *choice;
        return true;
    }
};

class RecordingView : public MainView {
  public:
    InstallerWindow* window = nullptr; // for the close confirmation
    std::deque<bool> answers;          // answers to "Vale"/"Cancelar" boxes, in order
    std::vector<Box> boxes;
    std::vector<std::pair<std::string, std::string>> errors; // title, text
    std::function<void()> onProcessMessages;
    ScriptedBrowser browser;

    std::string packageDate = "31 de Diciembre de 2000", packageVersion = " Versión 10.00",
                packageTitle = "x";
    std::string directory = "C:\\VEXO\\DALVO";
    std::string installDirectory, extractingFrom, currentFile;
    int progress = 0;
    std::vector<int> progressSeen;
    bool panelEnabled = true;
    std::map<WindowFrame, bool> frameEnabled{{WindowFrame::Directory, true},
                                             {WindowFrame::Progress, true}};
    std::optional<WindowFrame> frontFrame; // none brought forward yet
    bool installEnabled = true, installVisible = true, installDefault = true;
    std::string cancelCaption = "Salir";
    bool cancelDefault = false;
    bool shown = false, closed = false, timerEnabled = false;
    int boxesClosed = 0; // CloseBoxes calls
    int opacity = 0;
    std::vector<int> opacities;
    std::vector<std::pair<std::string, FileOutcome>> files; // destination file, outcome
    bool wantsSummary = true;
    std::vector<RunSummary> summaries;

    void SetPackageDate(const std::string& t) override { packageDate = t; }
    void SetPackageVersion(const std::string& t) override { packageVersion = t; }
    void SetPackageTitle(const std::string& t) override { packageTitle = t; }
    std::string DirectoryText() const override { return directory; }
    void SetDirectoryText(const std::string& t) override { directory = t; }
    void SetInstallDirectoryText(const std::string& t) override { installDirectory = t; }
    void SetExtractingFrom(const std::string& t) override { extractingFrom = t; }
    void SetCurrentFileText(const std::string& t) override { currentFile = t; }
    void SetProgress(int p) override {
        progress = p;
        progressSeen.push_back(p);
    }
    void SetPanelFrameEnabled(bool e) override { panelEnabled = e; }
    void SetFrameEnabled(WindowFrame f, bool e) override { frameEnabled[f] = e; }
    void BringFrameToFront(WindowFrame f) override { frontFrame = f; }
    void SetInstallEnabled(bool e) override { installEnabled = e; }
    void SetInstallVisible(bool v) override { installVisible = v; }
    void SetInstallDefault(bool d) override { installDefault = d; }
    void SetCancelCaption(const std::string& c) override { cancelCaption = c; }
    void SetCancelDefault(bool d) override { cancelDefault = d; }
    void ShowWindow() override { shown = true; }
    void CloseWindow() override {
        if (window && window->OnCloseRequested()) closed = true;
    }
    int Opacity() const override { return opacity; }
    void SetOpacity(int o) override {
        opacity = o;
        opacities.push_back(o);
    }
    void SetFadeTimerEnabled(bool e) override { timerEnabled = e; }
    void ProcessMessages() override {
        if (onProcessMessages) onProcessMessages();
    }
    bool MessageBox(const std::string& text, BoxIcon icon, BoxButtons buttons) override {
        boxes.push_back({text, icon, buttons});
        if (buttons == BoxButtons::Ok) return true;
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text;
            return false;
        }
        bool a = answers.front();
        answers.pop_front();
        return a;
    }
    void ShowApplicationError(const std::string& title, const std::string& text) override {
        errors.emplace_back(title, text);
    }
    environment::FolderBrowser& FolderBrowser() override { return browser; }
    void CloseBoxes() override { ++boxesClosed; }
    void ReportEntry(const EntryOutcome& e) override {
        const std::string& name = e.storedName;
        files.emplace_back(e.destination + name.substr(name.find_last_of('\\') + 1), e.outcome);
    }
    bool WantsRunSummary() const override { return wantsSummary; }
    void ReportRunSummary(const RunSummary& s) override { summaries.push_back(s); }

    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> out;
        for (const Box& b : boxes)
            out.push_back(b.text);
        return out;
    }
};

} // namespace vexo::installer::test
