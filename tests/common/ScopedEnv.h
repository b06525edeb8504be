// ScopedEnv.h - environment variables set for a test and restored afterwards, on either host.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace vexo::test {

/// Sets `name` to `value`, or removes it when `value` is empty. On Windows the C runtime
/// passes the change on to the process environment, where the Win32 calls read it.
inline void SetEnv(const std::string& name, const std::optional<std::string>& value) {
#ifdef _WIN32
    ::_putenv_s(name.c_str(), value ? value->c_str() : "");
#else
    if (value)
        ::setenv(name.c_str(), value->c_str(), 1);
    else
        ::unsetenv(name.c_str());
#endif
}

inline std::optional<std::string> GetEnv(const std::string& name) {
    if (const char* v = std::getenv(name.c_str())) return std::string(v);
    return std::nullopt;
}

/// Sets (or with nullopt removes) an environment variable for the lifetime of the object,
/// restoring the old value.
class ScopedEnv {
  public:
    ScopedEnv(std::string name, const std::optional<std::string>& value)
        : name_(std::move(name)), old_(GetEnv(name_)) {
        SetEnv(name_, value);
    }
    ~ScopedEnv() { SetEnv(name_, old_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    std::string name_;
    std::optional<std::string> old_;
};

} // namespace vexo::test
