// TempDirectory.h - a fresh folder under the host's temporary folder, removed with its
// contents (read-only entries included) when the object goes.
#pragma once

#include "common/HostEnv.h"

#include <filesystem>
#include <random>
#include <set>
#include <stdexcept>
#include <string>

namespace vexo::test {

class TempDirectory {
  public:
    explicit TempDirectory(const std::string& stem = "vexo-test") {
        namespace fs = std::filesystem;
        std::random_device rd;
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            fs::path candidate = fs::temp_directory_path() / (stem + "-" + std::to_string(rd()));
            std::error_code ec;
            if (fs::create_directory(candidate, ec)) path_ = candidate;
        }
        if (path_.empty()) throw std::runtime_error("cannot create a temporary folder");
    }
    ~TempDirectory() {
        namespace fs = std::filesystem;
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(path_, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            if (!it->is_symlink(ec))
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
        fs::remove_all(path_, ec);
    }
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    /// The folder as a host path (UTF-8; on Windows a Windows path).
    std::string String() const { return Utf8Path(path_); }

  private:
    std::filesystem::path path_;
};

/// The names in `folder` (not below it).
inline std::set<std::string> NamesIn(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.insert(e.path().filename().string());
    return names;
}

} // namespace vexo::test
