// WindowDriver.cpp - preloaded into the installer program by tests to play its user: says on
// standard error when the window and then a box are up, and presses the button VEXO_TEST_DRIVE
// names once the window shows, so that a test can act at a known moment.
#include <QApplication>
#include <QMetaObject>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace {

void Say(const char* what) {
    std::fprintf(stderr, "vexo-test: %s\n", what);
    std::fflush(stderr);
}

QWidget* ShownForm() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "InstallerForm" && w->isVisible()) return w;
    return nullptr;
}

// Runs every 20 ms, in the main loop and in every box's loop inside it.
void Watch() {
    static bool shown = false, boxShown = false;
    if (QWidget* form = ShownForm(); form && !shown) {
        shown = true;
        Say("window shown");
        const char* name = std::getenv("VEXO_TEST_DRIVE");
        if (auto* button = name ? form->findChild<QPushButton*>(name) : nullptr) {
            // Queued: the press runs a whole installation, during which this keeps watching.
            QTimer::singleShot(0, button, &QPushButton::click);
            Say("pressed");
        }
    }
    if (shown && !boxShown && QApplication::activeModalWidget()) {
        boxShown = true;
        Say("box shown");
    }
    QTimer::singleShot(20, QCoreApplication::instance(), Watch);
}

// The application is still being made: the first look waits for its event loop.
void Start() {
    QMetaObject::invokeMethod(QCoreApplication::instance(), Watch, Qt::QueuedConnection);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(Start)
