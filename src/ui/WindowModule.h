// WindowModule.h - the window lives in a loadable module carried inside the program file, so
// that the unattended run never maps the toolkit (its libraries alone are most of a run's
// memory). Toolkit-free: the program includes this; only the module's entry includes Qt.
// On Windows the window is the system's own and is linked in (ui/win32/WindowEntry.cpp).
#pragma once

#include <iosfwd>
#include <string>

namespace vexo::ui {

/// The module's one export: runs the window on the program's arguments, returns the exit status.
using WindowEntry = int(int* argc, char** argv);
inline constexpr const char kWindowEntryName[] = "vexo_instalar_window";

/// Loads the module from the program's own bytes and runs the window. When the module cannot
/// be loaded (or, on Windows, the window cannot be made), says why on `err` after the `program`
/// name and returns 1.
int RunWindowModule(int& argc, char** argv, const std::string& program, std::ostream& err);

} // namespace vexo::ui
