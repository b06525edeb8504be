// Shortcuts.h - writing and reading the product's shortcut (.lnk) files.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vexo::environment {

/// \returns the fixed description (tooltip) of every shortcut the installer writes.
std::string ShortcutDescription();

/// Writes folder + name + ".lnk" pointing at `target`, with the target's directory (with its
/// trailing backslash) as working directory and the fixed description; an existing file is
/// replaced. A shortcut that cannot be written is left out without raising: the caller goes on.
/// \returns whether the file was written, for callers that want to say so.
bool CreateShortcut(std::string_view target, std::string_view name, std::string_view folder);

/// The fields of a shortcut file the installer reads.
struct ShortcutFields {
    std::string workingDirectory;
    std::string target; // the network ("\\server\share\...") form when the link has one
    std::string description;
};

/// Loads a shortcut file. \returns nullopt when it cannot be loaded (missing, unreadable, not a
/// shortcut).
std::optional<ShortcutFields> ReadShortcut(std::string_view fileName);

} // namespace vexo::environment
