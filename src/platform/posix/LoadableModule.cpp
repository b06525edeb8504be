// LoadableModule.cpp - modules mapped through dlopen, from a memory file or a temporary file.
#include "platform/LoadableModule.h"

#include <dlfcn.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vexo::platform {
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
void* OpenFromMemory(const std::string& name, const unsigned char* bytes, std::size_t size,
                     std::string& why) {
    int fd = ::memfd_create(name.c_str(), MFD_CLOEXEC);
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
    // A loaded module keeps its descriptor: the loader knows modules by name, and a later
    // memory file given the same number would be taken for this one.
    if (!handle) ::close(fd);
    return handle;
}

/// Where memory files or /proc are missing: a temporary file, removed once mapped.
void* OpenFromTemporaryFile(const std::string& name, const unsigned char* bytes, std::size_t size,
                            std::string& why) {
    const char* dir = std::getenv("TMPDIR");
    std::string path = std::string(dir && *dir ? dir : "/tmp") + "/" + name + ".XXXXXX";
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

LoadableModule LoadableModule::FromMemory(std::string_view name, const void* bytes,
                                          std::size_t size) {
    const std::string text(name);
    const auto* data = static_cast<const unsigned char*>(bytes);
    std::string why;
    void* handle = OpenFromMemory(text, data, size, why);
    if (!handle) handle = OpenFromTemporaryFile(text, data, size, why);
    if (!handle) throw ModuleError(why);
    return LoadableModule(handle);
}

void* LoadableModule::Symbol(const char* symbol) const {
    void* address = ::dlsym(handle_, symbol);
    if (!address) throw ModuleError(LoaderError("dlsym"));
    return address;
}

} // namespace vexo::platform
