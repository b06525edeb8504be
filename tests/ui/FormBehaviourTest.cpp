// FormBehaviourTest.cpp - the window at work: start-up, a run, fades, keys, closing, dragging.
#include "FormFixture.h"
#include "platform/Encoding.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <filesystem>

namespace vexo::ui::test {
namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

TEST_F(FormTest, StartupFillsLabelsAndShowsTheDirectoryFrame) {
    PackageSpec pkg;
    pkg.version = 1234.5;
    InstallerForm& f = Form("AEAT-ZORI-09.EXE", pkg);
    ASSERT_TRUE(f.Create());
    EXPECT_EQ(Child<QLabel>("LabelFecha")->text(), U("12 de Febrero del 2009"));
    EXPECT_EQ(Child<QLabel>("LabelVersion")->text(), U("Versión 1.234,50"));
    EXPECT_EQ(Child<QLabel>("LabelPrograma")->text(), U("A.E.A.T. Modelos 115 y 303 (2009)"));
    EXPECT_EQ(Child<QLineEdit>("eDirPrograma")->text(), U("C:\\VEXO\\ModulosAEAT\\"));
    EXPECT_EQ(TopFrame(), "TFFramePrograma");
    EXPECT_TRUE(Child("TFFramePrograma")->isEnabled());
    EXPECT_FALSE(Child("TFFrameInstalar")->isEnabled());
}

TEST_F(FormTest, StartupErrorIsShownWithTheTitleOfTheFile) {
    InstallerForm& f = Form("AEAT-ZORI-9.EXE");
    EXPECT_FALSE(f.Create());
    ASSERT_EQ(boxes_.errors.size(), 1u);
    EXPECT_EQ(boxes_.errors[0].first, "Aeat-zori-9");
}

TEST_F(FormTest, RunSwitchesFramesAndDefaultButtons) {
    InstallerForm& f = Form();
    ASSERT_TRUE(f.Create());
    f.show();
    bool checked = false;
    boxes_.onAsk = [&](const std::string& text) {
        if (text != W1252("Instalación Finalizada")) return;
        // The final message comes while the window still shows the progress frame.
        checked = true;
        EXPECT_EQ(TopFrame(), "TFFrameInstalar");
        EXPECT_TRUE(Child("TFFrameInstalar")->isEnabled());
        EXPECT_FALSE(Child("TFFramePrograma")->isEnabled());
        EXPECT_FALSE(Child<QPushButton>("bInstalar")->isEnabled());
        EXPECT_FALSE(Child<QPushButton>("bInstalar")->isDefault());
        EXPECT_TRUE(Child<QPushButton>("bCancelar")->isDefault());
        EXPECT_EQ(Child<QPushButton>("bCancelar")->text(), U("Cancelar"));
        EXPECT_EQ(Child<QProgressBar>("pbProgreso")->value(), 100);
        EXPECT_EQ(Child<QLabel>("stText")->text(), U("..\\B.TXT"));
        EXPECT_EQ(Child<QLabel>("stDe")->text(), U("Extrayendo de: C:\\descargas\\ZPX16.EXE"));
        EXPECT_EQ(Child<QLineEdit>("eDirInstalar")->text(), U("C:\\VEXO\\DALVO"));
    };
    QTest::mouseClick(Child<QPushButton>("bInstalar"), Qt::LeftButton);
    EXPECT_TRUE(checked);
    EXPECT_EQ(TopFrame(), "TFFramePrograma");
    EXPECT_TRUE(Child<QPushButton>("bInstalar")->isEnabled());
    EXPECT_TRUE(Child<QPushButton>("bInstalar")->isDefault());
    EXPECT_FALSE(Child<QPushButton>("bCancelar")->isDefault());
    EXPECT_EQ(Child<QPushButton>("bCancelar")->text(), U("Salir"));
    EXPECT_EQ(ReadFile("C:\\VEXO\\DALVO\\B.TXT"), "b");
}

TEST_F(FormTest, EnterInTheDirectoryFieldInstalls) {
    InstallerForm& f = Form();
    ASSERT_TRUE(f.Create());
    f.show();
    auto* edit = Child<QLineEdit>("eDirPrograma");
    edit->setText(U("C:\\OTRO"));
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(ReadFile("C:\\OTRO\\A.TXT"), "a");
}

TEST_F(FormTest, EnterOnAFocusedButtonClicksThatButton) {
    InstallerForm& f = Form();
    ASSERT_TRUE(f.Create());
    f.show();
    boxes_.answers = {false};
    auto* salir = Child<QPushButton>("bCancelar");
    salir->setFocus();
    QTest::keyClick(salir, Qt::Key_Return);
    ASSERT_EQ(boxes_.asked.size(), 1u);
    EXPECT_EQ(boxes_.asked[0].text, "Confirma Salida del Instalador");
    EXPECT_FALSE(ReadFile("C:\\VEXO\\DALVO\\A.TXT")); // "Instalar" was not pressed
}

TEST_F(FormTest, FadeInTicksUpToOpaque) {
    InstallerForm& f = Form();
    ASSERT_TRUE(f.Create());
    std::vector<int> seen;
    QObject::connect(f.FadeTimer(), &QTimer::timeout, [&] { seen.push_back(f.Opacity()); });
    f.show(); // the activation starts the timer
    EXPECT_TRUE(f.FadeTimer()->isActive());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !f.FadeTimer()->isActive(); }, 3000));
    EXPECT_EQ(seen, (std::vector<int>{40, 80, 120, 160, 200, 240, 255}));
    EXPECT_DOUBLE_EQ(f.windowOpacity(), 1.0);
}

TEST_F(FormTest, EscapeWhileIdleAsksAndCancelKeepsTheWindow) {
    InstallerForm& f = Form();
    ASSERT_TRUE(f.Create());
    f.show();
    f.SetOpacity(255);
    boxes_.answers = {false};
    QTest::keyClick(Child<QLineEdit>("eDirPrograma"), Qt::Key_Escape);
    ASSERT_EQ(boxes_.asked.size(), 1u);
    EXPECT_EQ(boxes_.asked[0].text, "Confirma Salida del Instalador");
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.Opacity(), 255);

    boxes_.answers = {true};
    QTest::keyClick(&f, Qt::Key_Escape);
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(f.Opacity(), 0); // faded out before closing
}

TEST_F(FormTest, EscapeWhileBusyCancelsAndCloses) {
    PackageSpec pkg;
    for (char c = 'A'; c <= 'F'; ++c)
        pkg.files.push_back({std::string(1, c) + ".TXT", 'R', std::string(70000, c)});
    InstallerForm& f = Form("ZPX16.EXE", pkg);
    ASSERT_TRUE(f.Create());
    f.show();
    bool once = false;
    QObject::connect(Child<QProgressBar>("pbProgreso"), &QProgressBar::valueChanged, [&](int v) {
        if (once || v == 0) return;
        once = true;
        boxes_.answers.push_back(true);
        QTest::keyClick(&f, Qt::Key_Escape);
    });
    QTest::mouseClick(Child<QPushButton>("bInstalar"), Qt::LeftButton);
    ASSERT_TRUE(once);
    ASSERT_GE(boxes_.asked.size(), 1u);
    EXPECT_EQ(boxes_.asked[0].text, W1252("Cancelar Instalación"));
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(f.Logic().Extractor().OperationStatus(), archive::TOperationStatus::AbortRequested);
    EXPECT_FALSE(ReadFile("C:\\VEXO\\DALVO\\F.TXT"));
}

TEST_F(FormTest, ExitButtonWhileBusyCancelsAndReturnsToTheDirectoryFrame) {
    PackageSpec pkg;
    for (char c = 'A'; c <= 'F'; ++c)
        pkg.files.push_back({std::string(1, c) + ".TXT", 'R', std::string(70000, c)});
    InstallerForm& f = Form("ZPX16.EXE", pkg);
    ASSERT_TRUE(f.Create());
    f.show();
    bool once = false;
    QObject::connect(Child<QProgressBar>("pbProgreso"), &QProgressBar::valueChanged, [&](int v) {
        if (once || v == 0) return;
        once = true;
        boxes_.answers.push_back(true);
        Child<QPushButton>("bCancelar")->click();
    });
    QTest::mouseClick(Child<QPushButton>("bInstalar"), Qt::LeftButton);
    ASSERT_TRUE(once);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(TopFrame(), "TFFramePrograma");
    EXPECT_EQ(Child<QPushButton>("bCancelar")->text(), U("Salir"));
    EXPECT_TRUE(Child<QPushButton>("bInstalar")->isDefault());
    EXPECT_FALSE(ReadFile("C:\\VEXO\\DALVO\\F.TXT"));
}

// A stop request while a real box waits for its answer: the window's own check ends the box,
// then closes the window without another question.
TEST_F(FormTest, AStopRequestEndsAnOpenBoxAndClosesTheWindow) {
    InstallerForm& f = Form();
    QtBoxPresenter realBoxes;
    f.SetBoxPresenter(&realBoxes);
    ASSERT_TRUE(f.Create());
    f.show();
    f.SetOpacity(255);
    QString asked;
    QTimer::singleShot(0, [&] {
        if (QWidget* box = QApplication::activeModalWidget())
            asked = box->findChild<QLabel*>("qt_msgbox_label")->text();
        services_.stop = true;
    });
    // Should the check fail, the box still ends, so that the test fails rather than hangs.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) box->reject();
    });
    guard.start(5000);
    f.close(); // asks "Confirma Salida del Instalador"
    QElapsedTimer waited;
    waited.start();
    while (f.isVisible() && waited.elapsed() < 5000)
        QTest::qWait(20);
    EXPECT_EQ(asked, U("Confirma Salida del Instalador"));
    EXPECT_TRUE(guard.isActive()); // the check ended the box, not the guard
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(services_.sleeps, 0); // closed at once, no fade-out
}

TEST_F(FormTest, DraggingFromPictureLabelsAndPanelMovesTheWindow) {
    InstallerForm& f = Form();
    ASSERT_TRUE(f.Create());
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    for (const char* name : {"ImageFondo", "LabelFecha", "LabelTelefono", "PanelFrame"}) {
        for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
            QWidget* w = Child(name);
            QPoint start = f.pos();
            QPoint local(3, 3);
            QPoint global = w->mapToGlobal(local);
            QMouseEvent press(QEvent::MouseButtonPress, local, global, button, button, {});
            QApplication::sendEvent(w, &press);
            ASSERT_TRUE(f.DragFallbackActive()) << name; // offscreen refuses the system move
            QPoint delta(25, -12);
            QMouseEvent move(QEvent::MouseMove, local + delta, global + delta, Qt::NoButton, button,
                             {});
            QApplication::sendEvent(w, &move);
            QMouseEvent release(QEvent::MouseButtonRelease, local + delta, global + delta, button,
                                Qt::NoButton, {});
            QApplication::sendEvent(w, &release);
            EXPECT_EQ(f.pos(), start + delta) << name;
            EXPECT_FALSE(f.DragFallbackActive());
        }
    }
    // The buttons do not move the window.
    QPoint start = f.pos();
    boxes_.answers = {false}; // the click asks to leave
    QTest::mousePress(Child<QPushButton>("bCancelar"), Qt::LeftButton);
    EXPECT_FALSE(f.DragFallbackActive());
    QTest::mouseRelease(Child<QPushButton>("bCancelar"), Qt::LeftButton);
    EXPECT_EQ(f.pos(), start);
}

TEST_F(FormTest, BrowseButtonUsesTheFolderBrowser) {
    InstallerForm& f = Form();
    ASSERT_TRUE(f.Create());
    installer::test::ScriptedBrowser browser;
    browser.choice = "D:\\CONTA\\";
    f.SetFolderBrowser(&browser);
    Child("gbEditPrograma")->findChild<QPushButton*>("bDir")->click();
    EXPECT_EQ(browser.shownTitle, W1252("Selecciona el Directorio de Instalación"));
    EXPECT_EQ(Child<QLineEdit>("eDirPrograma")->text(), U("D:\\CONTA\\"));
}

TEST_F(FormTest, ScreenshotOfTheIdleWindow) {
    InstallerForm& f = Form();
    ASSERT_TRUE(f.Create());
    f.show();
    f.SetOpacity(255);
    QImage shot = f.grab().toImage();
    EXPECT_EQ(shot.size(), QSize(553, 401));
    // The date label is drawn in white over the dark picture.
    bool white = false;
    for (int x = 202; x < 542 && !white; ++x)
        for (int y = 67; y < 87 && !white; ++y)
            white = qGray(shot.pixel(x, y)) > 230;
    EXPECT_TRUE(white);
    std::filesystem::create_directories(VEXO_BINARY_DIR "/screenshots");
    EXPECT_TRUE(shot.save(QStringLiteral(VEXO_BINARY_DIR "/screenshots/instalar.png")));
}

} // namespace
} // namespace vexo::ui::test
