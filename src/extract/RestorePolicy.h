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

} // namespace vexo::extract
