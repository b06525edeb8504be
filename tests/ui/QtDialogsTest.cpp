// QtDialogsTest.cpp - the real boxes and prompt dialogs, answered by pressing their buttons.
#include "QtTestApp.h"
#include "archive/PromptTexts.h"
#include "archive/Prompts.h"
#include "platform/Encoding.h"
#include "ui/qt/InstallerForm.h"
#include "ui/qt/JpegDecoder.h"
#include "ui/qt/QtFolderBrowser.h"
#include "ui/qt/QtPrompts.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace vexo::ui::test {
namespace {

/// Runs `inspect` on the next modal window, then presses the button labelled `press`.
void WhenModal(std::function<void(QWidget*)> inspect, QString press) {
    QTimer::singleShot(0, [inspect, press] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        inspect(modal);
        for (QAbstractButton* b : modal->findChildren<QAbstractButton*>())
            if (QString(b->text()).remove('&') == QString(press).remove('&')) {
                b->click();
                return;
            }
        ADD_FAILURE() << "no button " << press.toStdString();
        modal->close();
    });
}

QStringList ButtonTexts(QWidget* w) {
    QStringList out;
    for (QAbstractButton* b : w->findChildren<QAbstractButton*>())
        out << b->text();
    out.sort();
    return out;
}

struct BoxCase {
    installer::BoxIcon icon;
    installer::BoxButtons buttons;
    const char* press;
    bool expected;
    QMessageBox::Icon qtIcon;
};

class BoxTest : public ::testing::TestWithParam<BoxCase> {};

TEST_P(BoxTest, CaptionIconButtonsAndAnswer) {
    App();
    const BoxCase& c = GetParam();
    QtBoxPresenter boxes;
    WhenModal(
        [&](QWidget* w) {
            EXPECT_EQ(w->windowTitle(), QStringLiteral("Instalador Dalvo"));
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->icon(), c.qtIcon);
            EXPECT_EQ(box->text(), QString::fromUtf8("Cancelar Instalación"));
            QStringList expected{"Vale"};
            if (c.buttons == installer::BoxButtons::OkCancel) expected << "Cancelar";
            expected.sort();
            EXPECT_EQ(ButtonTexts(w), expected);
        },
        QString::fromLatin1(c.press));
    EXPECT_EQ(boxes.Ask(nullptr, W1252("Cancelar Instalación"), c.icon, c.buttons), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, BoxTest,
    ::testing::Values(BoxCase{installer::BoxIcon::Confirmation, installer::BoxButtons::OkCancel,
                              "Vale", true, QMessageBox::Question},
                      BoxCase{installer::BoxIcon::Confirmation, installer::BoxButtons::OkCancel,
                              "Cancelar", false, QMessageBox::Question},
                      BoxCase{installer::BoxIcon::Warning, installer::BoxButtons::OkCancel, "Vale",
                              true, QMessageBox::Warning},
                      BoxCase{installer::BoxIcon::Error, installer::BoxButtons::Ok, "Vale", true,
                              QMessageBox::Critical}));

TEST(ErrorBox, CaptionedWithTheApplicationTitle) {
    App();
    QtBoxPresenter boxes;
    WhenModal(
        [](QWidget* w) {
            EXPECT_EQ(w->windowTitle(), QStringLiteral("Aeat-zori-09"));
            EXPECT_EQ(qobject_cast<QMessageBox*>(w)->icon(), QMessageBox::Critical);
        },
        QStringLiteral("&OK"));
    boxes.ShowError(nullptr, "Aeat-zori-09", "texto");
}

TEST(Prompts, ContinuePromptShowsItsLinesAndAnswersNo) {
    App();
    archive::ResetPromptTexts();
    archive::PromptTexts().No = "&No";
    QtPrompts prompts;
    archive::ContinuePromptData data{"CRC incorrecto", "A.TXT", 1234, 39856.5};
    WhenModal(
        [](QWidget* w) {
            EXPECT_EQ(w->windowTitle(), QStringLiteral("Confirmation"));
            QStringList labels;
            for (QLabel* l : w->findChildren<QLabel*>())
                labels << l->text();
            EXPECT_TRUE(labels.contains("CRC incorrecto"));
            EXPECT_TRUE(labels.contains("A.TXT"));
            EXPECT_TRUE(labels.contains("Do you want to continue ?"));
            EXPECT_EQ(ButtonTexts(w).size(), 3);
        },
        QStringLiteral("&No"));
    EXPECT_EQ(prompts.ContinuePrompt(data), archive::ContinueAnswer::No);
}

TEST(Prompts, OverwritePromptYesToAll) {
    App();
    archive::ResetPromptTexts();
    QtPrompts prompts;
    WhenModal([](QWidget* w) { EXPECT_EQ(ButtonTexts(w).size(), 4); },
              QStringLiteral("Yes to &All"));
    EXPECT_EQ(prompts.OverwritePrompt({"old", "new", 1, 2, 39856.5, 39857.5}),
              archive::OverwriteAnswer::YesToAll);
}

TEST(Prompts, PasswordQueryMasksAndReturnsTheText) {
    App();
    archive::ResetPromptTexts();
    QtPrompts prompts;
    WhenModal(
        [](QWidget* w) {
            auto* edit = w->findChild<QLineEdit*>("PromptEdit");
            ASSERT_NE(edit, nullptr);
            EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
            edit->setText(QString::fromUtf8("clave ñ"));
        },
        QStringLiteral("OK"));
    std::string value = "x";
    EXPECT_TRUE(prompts.PasswordQuery("Mensaje", "Clave", value));
    EXPECT_EQ(value, W1252("clave ñ"));

    WhenModal([](QWidget*) {}, QStringLiteral("&Cancel"));
    std::string kept = "kept";
    EXPECT_FALSE(prompts.InputQuery("Mensaje", "Texto", kept));
    EXPECT_EQ(kept, "kept");
}

TEST(Jpeg, RejectsDataThatIsNotAJpeg) {
    const unsigned char junk[] = {0xFF, 0xD8, 0xFF, 0x00, 1, 2, 3};
    EXPECT_THROW(DecodeJpeg(junk, sizeof junk), JpegError);
    EXPECT_THROW(DecodeJpeg(junk, 0), JpegError);
}

TEST(FolderPaths, WindowsPathsMapToHostDirectoriesAndBack) {
    App();
    QString start = HostStartDirectory("C:\\no\\such\\directory\\");
    EXPECT_FALSE(start.isEmpty());
    EXPECT_TRUE(QDir(start).exists());
    EXPECT_EQ(WindowsPathOf(start).substr(0, 2), "C:");
}

} // namespace
} // namespace vexo::ui::test
