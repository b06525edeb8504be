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

archive::TDateTime ExistingFileDate(const std::string& path) {
    try {
        // Opened with full sharing first, as the date must come from a readable file.
        auto stream = platform::OpenFile(path, platform::OpenMode::ReadShareAll);
        stream.reset();
        std::int32_t age = platform::GetFileAge(path);
        if (age == -1) return 0;
        return archive::DosDateTimeToDateTime(age);
    } catch (const std::exception&) {
        return 0;
    }
}

std::int64_t ExistingFileSize(const std::string& path) {
    try {
        if (!platform::FileExists(path)) return 0;
        return platform::OpenFile(path, platform::OpenMode::ReadShareAll)->Size();
    } catch (const std::exception&) {
        return 0;
    }
}

} // namespace vexo::extract
