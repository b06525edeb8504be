// FormFixture.h - the Qt window over a throw-away prefix, with boxes answered by the test.
#pragma once

#include "QtTestApp.h"
#include "installer/InstallerFixture.h"
#include "ui/qt/InstallerForm.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>

#include <deque>
#include <functional>
#include <memory>

namespace vexo::ui::test {

using installer::test::PackageSpec;

class ScriptedBoxes final : public BoxPresenter {
  public:
    std::deque<bool> answers;
    std::vector<installer::test::Box> asked;
    std::vector<std::pair<std::string, std::string>> errors;
    std::function<void(const std::string&)> onAsk; // runs while the box would be up

    bool Ask(QWidget*, const std::string& text, installer::BoxIcon icon,
             installer::BoxButtons buttons) override {
        asked.push_back({text, icon, buttons});
        if (onAsk) onAsk(text);
        if (buttons == installer::BoxButtons::Ok) return true;
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text;
            return false;
        }
        bool a = answers.front();
        answers.pop_front();
        return a;
    }
    void ShowError(QWidget*, const std::string& title, const std::string& text) override {
        errors.emplace_back(title, text);
    }
};

class FormTest : public installer::test::InstallerTest {
  protected:
    void SetUp() override {
        App();
        InstallerTest::SetUp();
    }
    void TearDown() override {
        form_.reset();
        InstallerTest::TearDown();
    }

    InstallerForm& Form(const std::string& name = "ZPX16.EXE", PackageSpec pkg = {}) {
        if (pkg.files.empty()) pkg.files = {{"A.TXT", 'R', "a"}, {"B.TXT", 'R', "b"}};
        std::string path = "C:\\descargas\\" + name;
        MakeInstaller(path, pkg);
        services_.module = path;
        form_ = std::make_unique<InstallerForm>(services_);
        form_->SetBoxPresenter(&boxes_);
        return *form_;
    }

    template <typename T = QWidget> T* Child(const char* name) {
        T* w = form_->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    /// The frame the panel shows on top: the last frame among its children.
    QString TopFrame() {
        QWidget* panel = Child("PanelFrame");
        QString top;
        for (QObject* o : panel->children())
            if (o->objectName().startsWith("TFFrame")) top = o->objectName();
        return top;
    }

    ScriptedBoxes boxes_;
    std::unique_ptr<InstallerForm> form_;
};

} // namespace vexo::ui::test
