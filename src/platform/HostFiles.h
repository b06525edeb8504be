// HostFiles.h - files named by host paths (UTF-8), as the tools and benchmarks take them.
//
// The installer works on Windows paths (FileSystem.h); the tools that pack and inspect
// archives on the build machine work on the host's own names, with no prefix and no drive
// mapping. Calls that raise std::system_error carry the host's own text of the failure.
#pragma once

#include "platform/Stream.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vexo::platform {

enum class HostFileMode {
    Read,   // read only
    Create, // created, or emptied when it exists; read and write
};

/// Opens a host file. Raises PlatformError with the system's message when it cannot. These
/// streams take no part in OpenFile's sharing rules nor in injected faults; one opened for
/// reading reads ahead, so the file must not change while it is open.
std::unique_ptr<Stream> OpenHostFile(const std::string& path, HostFileMode mode);

enum class HostFileType { Missing, Regular, Directory, Other };

/// A moment in local time, to the second.
struct HostTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0; // second 60 is a leap second
};

struct HostFileFacts {
    HostFileType type = HostFileType::Missing; // of what a link points to
    HostTime lastWrite;                        // for an existing name only
    bool readOnly = false;                     // the owner may not write it
};

/// What the host knows of `path`, following links. Raises std::system_error when it cannot
/// tell (a folder on the way that may not be searched).
HostFileFacts GetHostFileFacts(const std::string& path);

struct HostTreeEntry {
    std::string path;       // the root joined with the names below it
    std::string relative;   // from the root to what it names (links resolved), '/' between names
    bool directory = false; // an empty directory, else a regular file
};

/// Every regular file and every empty directory below `root`, sorted by path, compared name by
/// name. Directories that hold anything are left out (their contents carry their path), as
/// are other kinds (devices, sockets, dangling links); links are listed as what they point
/// to, but linked directories are not entered. Raises std::system_error when a directory
/// cannot be listed.
std::vector<HostTreeEntry> ListHostTree(const std::string& root);

/// The content of a host file as far as it can be read; nullopt when it cannot be opened.
std::optional<std::string> ReadHostFile(const std::string& path);

/// Creates `path` and every missing directory above it. Raises std::system_error.
void CreateHostDirectories(const std::string& path);
/// Removes a file or an empty directory; false when nothing was removed.
bool RemoveHostFile(const std::string& path);

/// `path` made absolute against the current directory (not resolved any further).
std::string AbsoluteHostPath(const std::string& path);
/// `name` taken from the directory that holds `file`; an absolute `name` as it is.
std::string HostPathBeside(const std::string& file, const std::string& name);
/// The last name of `path`; empty when it ends in a separator.
std::string HostFileName(const std::string& path);

} // namespace vexo::platform
