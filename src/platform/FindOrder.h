// FindOrder.h - the order FindFiles answers in, on every host.
#pragma once

#include "platform/FileSystem.h"

#include <vector>

namespace vexo::platform {

/// "." and ".." first, then by upper-cased name, as NTFS lists a directory.
void SortFindEntries(std::vector<FindEntry>& entries);

} // namespace vexo::platform
