// TemporaryFiles.h - temporary files beside a destination: created exclusively, recognised later.
//
// A temporary file is named "~vx<five hex digits>.tmp" in the folder of the file it will
// replace, and created only where no name exists yet (a planted name or link is never
// followed; a clash takes the next name). A run killed before its rename leaves such a file
// behind; the next run that writes into the folder removes the leftovers no process still
// holds open.
#pragma once

#include "platform/Stream.h"

#include <memory>
#include <string>
#include <string_view>

namespace vexo::platform {

struct TemporaryFile {
    std::unique_ptr<Stream> stream; // read/write, the file new and empty
    std::string path;               // its Windows path
};

/// A new temporary file in the folder of `destination` (a Windows path). Raises PlatformError
/// when none can be created (a missing folder, no right to write, no free name).
TemporaryFile CreateTemporaryBeside(std::string_view destination);

/// Whether `name` (a name alone) has the temporary files' form.
bool IsTemporaryName(std::string_view name);

/// Removes the temporary files of killed runs from the folder of `destination`, once per
/// folder and process; files still held open by a running writer stay.
void RemoveTemporaryLeftovers(std::string_view destination);

} // namespace vexo::platform
