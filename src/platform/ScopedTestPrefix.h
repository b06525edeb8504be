// ScopedTestPrefix.h - a throw-away prefix for tests; never the developer's own ~/.wine.
//
// Header-only so that every test program can use it:
//     vexo::platform::ScopedTestPrefix prefix;   // VEXO_PREFIX -> a fresh temp directory
//     prefix.Host("drive_c/VEXO")               // a host path inside it
// On destruction the previous VEXO_PREFIX (and VEXO_USER, VEXO_WINVER) come back, the current
// directory is restored and the directory tree is removed.
#pragma once

#include "platform/FaultInjection.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>

namespace vexo::platform {

class ScopedTestPrefix {
  public:
    explicit ScopedTestPrefix(const std::string& user = "tester") {
        namespace fs = std::filesystem;
        std::random_device rd;
        for (int attempt = 0; attempt < 100 && root_.empty(); ++attempt) {
            fs::path candidate = fs::temp_directory_path() /
                                 ("vexo-prefix-" + std::to_string(rd()) + std::to_string(attempt));
            std::error_code ec;
            if (fs::create_directory(candidate, ec)) root_ = candidate.string();
        }
        if (root_.empty()) throw std::runtime_error("cannot create a temporary prefix");
        savedCwd_ = fs::current_path().string();
        Save("VEXO_PREFIX", savedPrefix_);
        Save("VEXO_USER", savedUser_);
        Save("VEXO_WINVER", savedWinver_);
        ::setenv("VEXO_PREFIX", root_.c_str(), 1);
        ::setenv("VEXO_USER", user.c_str(), 1);
        ::unsetenv("VEXO_WINVER");
        ResetPrefix();
        PrefixDirectory(); // lays out the prefix now
    }

    ~ScopedTestPrefix() {
        namespace fs = std::filesystem;
        std::error_code ec;
        fs::current_path(savedCwd_, ec);
        Restore("VEXO_PREFIX", savedPrefix_);
        Restore("VEXO_USER", savedUser_);
        Restore("VEXO_WINVER", savedWinver_);
        ResetPrefix();
        ResetFaults();
        ClearDriveTypeOverrides();
        // Read-only entries made by a test must not stop the clean-up.
        for (auto it = fs::recursive_directory_iterator(root_, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            if (!it->is_symlink(ec))
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
        fs::remove_all(root_, ec);
    }

    ScopedTestPrefix(const ScopedTestPrefix&) = delete;
    ScopedTestPrefix& operator=(const ScopedTestPrefix&) = delete;

    /// The prefix directory on the host.
    const std::string& Root() const { return root_; }
    /// A host path below the prefix ("drive_c/VEXO" -> "<root>/drive_c/VEXO").
    std::string Host(const std::string& relative) const { return root_ + "/" + relative; }

  private:
    static void Save(const char* name, std::optional<std::string>& slot) {
        if (const char* v = std::getenv(name)) slot = v;
    }
    static void Restore(const char* name, const std::optional<std::string>& slot) {
        if (slot)
            ::setenv(name, slot->c_str(), 1);
        else
            ::unsetenv(name);
    }

    std::string root_;
    std::string savedCwd_;
    std::optional<std::string> savedPrefix_, savedUser_, savedWinver_;
};

} // namespace vexo::platform
