// ScopedEnv.h - an environment variable set for a test and restored afterwards, on either host.
#pragma once

#include "platform/EnvironmentVariables.h"

#include <optional>
#include <string>
#include <utility>

namespace vexo::test {

using platform::GetEnv;
using platform::SetEnv;

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
