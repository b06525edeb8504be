// LoadableModule.h - code mapped at run time from a module's bytes in memory, and its symbols.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vexo::platform {

/// A module that could not be loaded, or lacks a symbol. what() says why, in the host's words,
/// each step that failed after the call that failed ("dlopen: ...; dlopen: ...").
class ModuleError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

/// A module (a shared library) mapped into the process. It is never unloaded: what it
/// registered to run at exit must still be there then. Copies name the same module.
class LoadableModule {
  public:
    /// Maps the module whose file holds `bytes`: from a memory file where the host has them,
    /// else from a temporary file that is removed once mapped. `name` names the memory file or
    /// starts the temporary file's name. Raises ModuleError saying why every way failed.
    static LoadableModule FromMemory(std::string_view name, const void* bytes, std::size_t size);

    /// The address of the exported `symbol`. Raises ModuleError when the module lacks it.
    void* Symbol(const char* symbol) const;

    /// The exported function `symbol`, of type `Function`.
    template <typename Function> Function* Entry(const char* symbol) const {
        return reinterpret_cast<Function*>(Symbol(symbol));
    }

  private:
    explicit LoadableModule(void* handle) : handle_(handle) {}
    void* handle_;
};

} // namespace vexo::platform
