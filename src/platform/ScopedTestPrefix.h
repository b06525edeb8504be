// ScopedTestPrefix.h - a throw-away prefix for tests; never the developer's own ~/.wine.
//
// Header-only so that every test program can use it:
//     vexo::platform::ScopedTestPrefix prefix;   // VEXO_PREFIX -> a fresh temp directory
//     prefix.Host("drive_c/VEXO")               // a host path inside it
// On destruction the previous VEXO_PREFIX (and VEXO_USER, VEXO_WINVER) come back, the current
// directory is restored and the directory tree is removed. On Windows the prefix's drive_c
// stands in for drive C: and host paths are Windows paths ("...\drive_c\VEXO").
#pragma once

#include "platform/EnvironmentVariables.h"
#include "platform/FaultInjection.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

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
            if (fs::create_directory(candidate, ec)) {
                const std::u8string utf8 = candidate.u8string();
                root_.assign(utf8.begin(), utf8.end());
            }
        }
        if (root_.empty()) throw std::runtime_error("cannot create a temporary prefix");
        savedCwd_ = fs::current_path();
        savedPrefix_ = GetEnv("VEXO_PREFIX");
        savedUser_ = GetEnv("VEXO_USER");
        savedWinver_ = GetEnv("VEXO_WINVER");
        SetEnv("VEXO_PREFIX", root_);
        SetEnv("VEXO_USER", user);
        SetEnv("VEXO_WINVER", std::nullopt);
        PrepareForWriting(); // tests write: the prefix is laid out now
    }

    ~ScopedTestPrefix() {
        namespace fs = std::filesystem;
        std::error_code ec;
        fs::current_path(savedCwd_, ec);
        SetEnv("VEXO_PREFIX", savedPrefix_);
        SetEnv("VEXO_USER", savedUser_);
        SetEnv("VEXO_WINVER", savedWinver_);
        ResetPrefix();
        ResetFaults();
        ClearDriveTypeOverrides();
        // Read-only entries made by a test must not stop the clean-up.
        for (auto it = fs::recursive_directory_iterator(Path(root_), ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            if (!it->is_symlink(ec))
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
        fs::remove_all(Path(root_), ec);
    }

    ScopedTestPrefix(const ScopedTestPrefix&) = delete;
    ScopedTestPrefix& operator=(const ScopedTestPrefix&) = delete;

    /// The prefix directory on the host.
    const std::string& Root() const { return root_; }
    /// A host path below the prefix ("drive_c/VEXO" -> "<root>/drive_c/VEXO"), with the host's
    /// own separator.
    std::string Host(const std::string& relative) const {
        std::string path = root_ + "/" + relative;
        if constexpr (std::filesystem::path::preferred_separator == '\\') {
            for (char& c : path)
                if (c == '/') c = '\\';
        }
        return path;
    }

  private:
    static std::filesystem::path Path(const std::string& utf8) {
        return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
    }

    std::string root_;
    std::filesystem::path savedCwd_;
    std::optional<std::string> savedPrefix_, savedUser_, savedWinver_;
};

} // namespace vexo::platform
