// WindowEntry.cpp - the window mode of the installer program, built as the module that the
// program carries and loads (program/WindowLoader.cpp). Its installer, archive and platform code is
// the program's own: the module leaves those symbols for the program to provide.
#include "archive/Prompts.h"
#include "installer/Services.h"
#include "ui/WindowModule.h"
#include "ui/qt/InstallerForm.h"
#include "ui/qt/QtPrompts.h"

#include <QApplication>

#include <string_view>
#include <type_traits>

extern "C" __attribute__((visibility("default"))) int vexo_instalar_window(int* argc, char** argv) {
    using namespace vexo;
    QApplication app(*argc, argv);
    ui::QtPrompts prompts;
    archive::ScopedPrompts installed(prompts);
    installer::InstallerServices services;
    int status = 1;
    {
        ui::InstallerForm form(services);
        // A start-up that stopped early ends the program without entering the message loop.
        if (form.Create()) {
            form.show();
            status = app.exec();
        }
    }
    return status;
}

// The loader finds the entry by name and calls it through WindowEntry.
static_assert(std::string_view(vexo::ui::kWindowEntryName) == "vexo_instalar_window");
static_assert(std::is_same_v<decltype(vexo_instalar_window), vexo::ui::WindowEntry>);
