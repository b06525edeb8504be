// HostEnv.h - what tests ask of the host, in one form on every host: environment variables for
// a scope, host files' times and read-only bit, and which host (or Wine) runs the test.
#pragma once

#include "platform/HostFiles.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace vexo::test {

#ifdef _WIN32
inline constexpr bool kWindowsHost = true;
#else
inline constexpr bool kWindowsHost = false;
#endif

/// Whether this Windows program runs under Wine (false on other hosts).
bool UnderWine();

/// A host path (UTF-8) as the standard library's path: its narrow strings are not UTF-8 on
/// every host.
inline std::filesystem::path FsPath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

/// The standard library's path as a host path (UTF-8): the way back from FsPath.
inline std::string Utf8Path(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

/// An environment variable set (or removed, for nullopt) for a scope; the old value comes back.
class ScopedEnv {
  public:
    ScopedEnv(std::string name, const std::optional<std::string>& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    std::string name_;
    std::optional<std::string> saved_;
};

/// Sets a host file's last-write time (and its last access) to a moment in local time.
void SetHostLastWrite(const std::string& path, const platform::HostTime& local);
/// Sets a host file's last-write time to seconds since 1970-01-01 UTC.
void SetHostLastWriteUtc(const std::string& path, std::int64_t seconds);

/// The system's own words for an error code (Windows: FormatMessage; POSIX: errno's text).
std::string SystemMessage(int code);

/// Whether the host holds the file read-only: no write bits at all, or the read-only attribute.
bool HostReadOnly(const std::string& path);

} // namespace vexo::test
