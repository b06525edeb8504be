// Shell.h - shell services: special folders, shell links, private profiles, version resources.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexo::platform {

// CSIDL values the system asks for.
inline constexpr int CSIDL_PROGRAMS = 0x02;
inline constexpr int CSIDL_STARTMENU = 0x0B;
inline constexpr int CSIDL_DESKTOPDIRECTORY = 0x10;
inline constexpr int CSIDL_COMMON_STARTMENU = 0x16;
inline constexpr int CSIDL_COMMON_PROGRAMS = 0x17;

/// The folder's path without a trailing backslash, or empty when the system has none. The folder
/// is created inside the prefix when it is missing, as Wine creates the shell folders.
std::string SpecialFolderPath(int csidl);

struct ShellLink {
    std::string target;           // the target's path
    std::string workingDirectory; // may be empty
    std::string description;      // may be empty
    /// Read only: the target's network form ("\\server\share\file") when the link has one;
    /// callers that prefer the UNC form take it first.
    std::string networkTarget = {};
};
/// The bytes of a .lnk file for `link` (the writer behind WriteShellLink).
std::vector<std::uint8_t> BuildShellLink(const ShellLink& link);
/// Writes a .lnk file. Raises PlatformError when the file cannot be written.
void WriteShellLink(std::string_view linkPath, const ShellLink& link);
/// Reads a .lnk file; nullopt when it is missing or not a shell link.
std::optional<ShellLink> ReadShellLink(std::string_view linkPath);
/// Parses shell-link bytes (the reader behind ReadShellLink, for tests and fuzzing).
std::optional<ShellLink> ParseShellLink(const std::uint8_t* data, std::size_t size);

/// GetPrivateProfileStringA: the value of `key` in `section` of the INI file, or `def`.
std::string ReadProfileString(std::string_view file, std::string_view section, std::string_view key,
                              std::string_view def);
/// The same over the file's bytes (for tests and fuzzing).
std::string ProfileStringFromText(std::string_view text, std::string_view section,
                                  std::string_view key, std::string_view def);

struct VersionInfo {
    std::uint32_t fileVersionMS = 0, fileVersionLS = 0;
    std::uint32_t productVersionMS = 0, productVersionLS = 0;
    /// (language, code page) pairs of \VarFileInfo\Translation, in file order.
    std::vector<std::pair<std::uint16_t, std::uint16_t>> translations;
    /// StringFileInfo tables: key "040904B0" (upper-case hex) -> name -> value (Windows-1252).
    std::map<std::string, std::map<std::string, std::string>> strings;
};
/// Reads the version resource of a PE file; nullopt when the file has none (or is no PE file),
/// with LastError() telling which: kErrorFileNotFound, kErrorBadExeFormat (not a PE file, or a
/// damaged one) or kErrorResourceTypeNotFound (no version resource). Never reads outside the
/// file's bytes.
std::optional<VersionInfo> ReadVersionInfo(std::string_view path);
std::optional<VersionInfo> ParseVersionInfo(const std::uint8_t* data, std::size_t size);
/// How far the sections of the PE image starting at `data` reach (its first bytes suffice);
/// 0 when they are no PE headers.
std::size_t PeImageExtent(const std::uint8_t* data, std::size_t size);

} // namespace vexo::platform
