// FuzzSupport.h - what the fuzz targets share: the exceptions bad input may raise, and a
// throw-away prefix that no extracted name can leave, where every prompt is refused.
#pragma once

#include "archive/Exceptions.h"
#include "archive/Prompts.h"
#include "platform/Error.h"
#include "platform/ScopedTestPrefix.h"
#include "platform/Stream.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

namespace vexo::fuzz {

/// The key every encrypted seed is made with; the extraction target answers key prompts with it.
inline constexpr const char* kFuzzKey = "clave-de-pruebas-fuzz";

/// Runs `body` and swallows the failures damaged input is allowed to end with: the archive
/// layer's texts, the stream's read error and the platform's errors. Anything else (bad_alloc,
/// length_error, out_of_range, a logic error) escapes and libFuzzer reports it as a crash.
template <typename Body> void Tolerating(Body&& body) {
    try {
        body();
    } catch (const archive::Exception&) {
    } catch (const platform::EReadError&) {
    } catch (const platform::PlatformError&) {
    }
}

/// One prefix for the whole fuzzing process. Drive Z: (the host's root in a fresh prefix) is
/// removed, so even a stored absolute name can reach nothing but drive C: of the prefix. Nobody
/// answers its prompts.
class FuzzPrefix {
  public:
    FuzzPrefix() {
        std::error_code ec;
        std::filesystem::remove(prefix_.Host("dosdevices/z:"), ec);
        std::filesystem::create_directories(prefix_.Host("drive_c/fuzz"), ec);
    }

    /// Removes what the last input left on drive C: beside the prefix's own layout.
    void Clean() {
        namespace fs = std::filesystem;
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(prefix_.Host("drive_c"), ec)) {
            const std::string name = e.path().filename().string();
            if (name == "users" || name == "ProgramData" || name == "windows" || name == "fuzz")
                continue;
            Writable(e.path());
            fs::remove_all(e.path(), ec);
        }
    }

    const platform::ScopedTestPrefix& Prefix() const { return prefix_; }

  private:
    // A read-only entry written by the last input must not stop the clean-up.
    static void Writable(const std::filesystem::path& p) {
        namespace fs = std::filesystem;
        std::error_code ec;
        fs::permissions(p, fs::perms::owner_all, fs::perm_options::add, ec);
        if (!fs::is_directory(p, ec) || fs::is_symlink(p, ec)) return;
        for (auto it = fs::recursive_directory_iterator(p, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }

    platform::ScopedTestPrefix prefix_;
    // Nobody answers: every box gets the refusing answer, every text prompt is cancelled.
    archive::RefusingPrompts prompts_;
    archive::ScopedPrompts installed_{prompts_};
};

} // namespace vexo::fuzz
