// WindowEntry.cpp - the window mode of the installer program on Windows: the native window is
// linked into the program, so "running the module" runs it in place.
#include "archive/Prompts.h"
#include "installer/Services.h"
#include "ui/WindowModule.h"
#include "ui/win32/InstallerForm.h"
#include "ui/win32/Win32Prompts.h"

#include <commctrl.h>
#include <ole2.h>

#include <ostream>

namespace vexo::ui {

namespace {

/// OLE for the thread's lifetime in the window: the folder browser and the imaging component.
class OleScope {
  public:
    OleScope() : ok_(SUCCEEDED(::OleInitialize(nullptr))) {}
    ~OleScope() {
        if (ok_) ::OleUninitialize();
    }
    OleScope(const OleScope&) = delete;
    OleScope& operator=(const OleScope&) = delete;

  private:
    bool ok_;
};

} // namespace

int RunWindowModule(int&, char**, const std::string& program, std::ostream& err) {
    OleScope ole;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    win32::Win32Prompts prompts;
    archive::ScopedPrompts installed(prompts);
    installer::InstallerServices services;
    win32::InstallerForm form(services);
    if (!form.Valid()) {
        err << program << ": cannot create the window\n";
        return 1;
    }
    // A start-up that stopped early ends the program without entering the message loop.
    if (!form.Create()) return 1;
    form.ShowWindow();
    return form.Run();
}

} // namespace vexo::ui
