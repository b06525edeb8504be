// WindowLoader.cpp - maps the window module that the program carries (its bytes are linked in
// below) and calls its entry. The module is never unloaded: the toolkit's exit-time handlers
// live in it.
#include "platform/LoadableModule.h"
#include "ui/WindowModule.h"

#include <cstddef>
#include <ostream>
#include <string>

// The module file, stripped, as read-only data of the program (VEXO_WINDOW_MODULE: its path, a
// string literal set by the build).
asm(".section .rodata.vexo_window_module,\"a\",@progbits\n"
    ".balign 64\n"
    ".globl vexo_window_module_begin\n"
    ".hidden vexo_window_module_begin\n"
    "vexo_window_module_begin:\n"
    ".incbin \"" VEXO_WINDOW_MODULE "\"\n"
    ".globl vexo_window_module_end\n"
    ".hidden vexo_window_module_end\n"
    "vexo_window_module_end:\n"
    ".previous\n");
extern "C" const unsigned char vexo_window_module_begin[];
extern "C" const unsigned char vexo_window_module_end[];

namespace vexo::ui {

int RunWindowModule(int& argc, char** argv, const std::string& program, std::ostream& err) {
    const unsigned char* bytes = vexo_window_module_begin;
    auto size = static_cast<std::size_t>(vexo_window_module_end - vexo_window_module_begin);
    WindowEntry* entry = nullptr;
    try {
        auto module = platform::LoadableModule::FromMemory("instalar-window", bytes, size);
        entry = module.Entry<WindowEntry>(kWindowEntryName);
    } catch (const platform::ModuleError& e) {
        err << program << ": cannot load the window: " << e.what() << "\n";
        return 1;
    }
    return entry(&argc, argv);
}

} // namespace vexo::ui
