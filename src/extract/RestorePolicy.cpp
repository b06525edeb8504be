// RestorePolicy.cpp - the restore table and the facts it needs about an existing file.
#include "extract/RestorePolicy.h"

#include "platform/FileSystem.h"

#include <exception>
#include <string>

namespace vexo::extract {

RestoreDecision DecideRestoreAction(TRestoreAction action, bool destinationExists,
                                    archive::TDateTime existingDate, archive::TDateTime entryDate) {
    const bool newer = existingDate < entryDate;
    switch (action) {
    case raOverwrite:
        return RestoreDecision::Extract;
    case raSkip:
        return destinationExists ? RestoreDecision::Skip : RestoreDecision::Extract;
    case raUpdate:
        return !destinationExists || newer ? RestoreDecision::Extract : RestoreDecision::Skip;
    case raAsk:
        return destinationExists ? RestoreDecision::Ask : RestoreDecision::Extract;
    case raExistingOnly:
        return destinationExists ? RestoreDecision::Extract : RestoreDecision::Skip;
    case raUpdateExisting:
        return destinationExists && newer ? RestoreDecision::Extract : RestoreDecision::Skip;
    }
    return RestoreDecision::Skip;
}

} // namespace vexo::extract
