// RestorePolicy.h - what happens to an accepted entry whose destination exists or not.
#pragma once

#include "archive/DateTime.h"

#include <cstdint>
#include <string>

namespace vexo::extract {

enum TRestoreAction {
    raOverwrite,
    raSkip,
    raUpdate,
    raAsk,
    raExistingOnly,
    raUpdateExisting,
};

enum class RestoreDecision { Extract, Skip, Ask };

/// The restore table: `existingDate` is the destination's last-write time (0 when it cannot be
/// read), only consulted by the update actions; equal dates skip.
RestoreDecision DecideRestoreAction(TRestoreAction action, bool destinationExists,
                                    archive::TDateTime existingDate, archive::TDateTime entryDate);

/// The destination's last-write time as a date-time; 0 when it cannot be opened or has no
/// valid date.
archive::TDateTime ExistingFileDate(const std::string& path);
/// The destination's size; 0 when it cannot be read.
std::int64_t ExistingFileSize(const std::string& path);

} // namespace vexo::extract
