// Shortcuts.cpp - shortcut files through the platform's shell link reader and writer.
#include "environment/Shortcuts.h"

#include "archive/PathRoutines.h"
#include "platform/Encoding.h"
#include "platform/Error.h"
#include "platform/Shell.h"

namespace vexo::environment {

namespace {
// The shell hands out at most 259 characters plus the terminator.
constexpr std::size_t kMaxShellText = 259;

std::string ShellText(const std::string& text) {
    return text.substr(0, kMaxShellText);
}
} // namespace

std::string ShortcutDescription() {
    return W1252("Los Programas Vexo están especialmente diseñados para no causar ningún daño a "
                 "la capa de ozono");
}

bool CreateShortcut(std::string_view target, std::string_view name, std::string_view folder) {
    platform::ShellLink link;
    link.target = std::string(target);
    link.workingDirectory = archive::ExtractFilePath(target);
    link.description = ShortcutDescription();
    std::string file = std::string(folder) + std::string(name) + ".lnk";
    try {
        platform::WriteShellLink(file, link);
        return true;
    } catch (const platform::PlatformError& e) {
        // The installer goes on without this shortcut; the reason stays in LastError().
        platform::SetLastError(e.Code());
        return false;
    }
}

std::optional<ShortcutFields> ReadShortcut(std::string_view fileName) {
    std::optional<platform::ShellLink> link = platform::ReadShellLink(fileName);
    if (!link) return std::nullopt;
    // The target is asked for in its network form where the link has one, as the shell hands
    // it out with UNC priority: a product installed on a share is found on the share.
    const std::string& target = link->networkTarget.empty() ? link->target : link->networkTarget;
    return ShortcutFields{ShellText(link->workingDirectory), ShellText(target),
                          ShellText(link->description)};
}

} // namespace vexo::environment
