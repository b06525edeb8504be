// FileList.h - the list of entries kept during enumeration.
#pragma once

#include "archive/Format.h"

#include <memory>
#include <vector>

namespace vexo::archive {

/// One list item: a copy of an entry record.
struct TFileObject {
    explicit TFileObject(const TFileEntry& entry) : Entry(entry) {}
    TFileEntry Entry;
};

using TFileList = std::vector<std::unique_ptr<TFileObject>>;

} // namespace vexo::archive
