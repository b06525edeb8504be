// PostInstall.h - the shortcuts made after a package was extracted without error.
#pragma once

#include <string_view>

namespace vexo::environment {

/// Gives the program of `productCode` its desktop shortcut and its shortcut in the program
/// group, with targets under `extractionRoot` (the absolute directory the package went to).
/// DALVO, VIZUVE and RORARI have shortcuts; any other code does nothing. An existing desktop
/// shortcut (the presence-test name) suppresses the step; the accounting program's retired
/// shortcut is removed. Shortcuts that cannot be written are skipped; raises the error of
/// EnsureProgramGroup when the group folder cannot be made.
void CreateProductShortcuts(std::string_view productCode, std::string_view extractionRoot);

} // namespace vexo::environment
