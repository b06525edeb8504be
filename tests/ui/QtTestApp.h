// QtTestApp.h - one QApplication for the whole test program, on the offscreen platform.
#pragma once

#include <QApplication>
#include <QByteArray>
#include <QDir>

#include <cstdlib>

namespace vexo::ui::test {

inline QApplication& App() {
    static int argc = 1;
    static char name[] = "test_ui";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        if (!qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")) {
            QByteArray dir = QDir::tempPath().toUtf8() + "/vexo-xdg-test";
            QDir().mkpath(QString::fromUtf8(dir));
            QFile::setPermissions(QString::fromUtf8(dir), QFileDevice::ReadOwner |
                                                              QFileDevice::WriteOwner |
                                                              QFileDevice::ExeOwner);
            qputenv("XDG_RUNTIME_DIR", dir);
        }
        auto* a = new QApplication(argc, argv);
        a->setQuitOnLastWindowClosed(false);
        return a;
    }();
    return *app;
}

} // namespace vexo::ui::test
