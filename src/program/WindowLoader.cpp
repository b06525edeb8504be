// WindowLoader.cpp - maps the window module that the program carries (its bytes are linked in
// below) and calls its entry. The module is never unloaded: the toolkit's exit-time handlers
// live in it.
#include "ui/WindowModule.h"

#include <dlfcn.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
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
namespace {

bool WriteAll(int fd, const unsigned char* bytes, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

std::string SystemError(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

std::string LoaderError(const char* what) {
    const char* text = ::dlerror();
    return std::string(what) + ": " + (text ? text : "unknown error");
}

/// An anonymous memory file, opened through /proc.
void* OpenFromMemory(const unsigned char* bytes, std::size_t size, std::string& why) {
    int fd = ::memfd_create("instalar-window", MFD_CLOEXEC);
    if (fd < 0) {
        why = SystemError("memfd_create");
        return nullptr;
    }
    void* handle = nullptr;
    if (WriteAll(fd, bytes, size)) {
        std::string path = "/proc/self/fd/" + std::to_string(fd);
        handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) why = LoaderError("dlopen");
    } else {
        why = SystemError("write");
    }
    ::close(fd);
    return handle;
}

/// Where memory files or /proc are missing: a temporary file, removed once mapped.
void* OpenFromTemporaryFile(const unsigned char* bytes, std::size_t size, std::string& why) {
    const char* dir = std::getenv("TMPDIR");
    std::string path = std::string(dir && *dir ? dir : "/tmp") + "/instalar-window.XXXXXX";
    int fd = ::mkstemp(path.data());
    if (fd < 0) {
        why += "; " + SystemError(path.c_str());
        return nullptr;
    }
    bool written = WriteAll(fd, bytes, size);
    if (!written) why += "; " + SystemError("write");
    ::close(fd);
    void* handle = written ? ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL) : nullptr;
    if (written && !handle) why += "; " + LoaderError("dlopen");
    ::unlink(path.c_str());
    return handle;
}

} // namespace

int RunWindowModule(int& argc, char** argv, const std::string& program, std::ostream& err) {
    const unsigned char* bytes = vexo_window_module_begin;
    auto size = static_cast<std::size_t>(vexo_window_module_end - vexo_window_module_begin);
    std::string why;
    void* handle = OpenFromMemory(bytes, size, why);
    if (!handle) handle = OpenFromTemporaryFile(bytes, size, why);
    if (!handle) {
        err << program << ": cannot load the window: " << why << "\n";
        return 1;
    }
    auto* entry = reinterpret_cast<WindowEntry*>(::dlsym(handle, kWindowEntryName));
    if (!entry) {
        err << program << ": cannot load the window: " << LoaderError("dlsym") << "\n";
        return 1;
    }
    return entry(&argc, argv);
}

} // namespace vexo::ui
