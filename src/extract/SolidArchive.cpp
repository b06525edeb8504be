// SolidArchive.cpp - a solid archive holds one entry that is itself an archive: it is unpacked
// to a temporary file at open, read in place of the outer archive, and removed at close.
#include "extract/Extractor.h"

#include "archive/Exceptions.h"
#include "platform/FileSystem.h"

#include <cmath>

namespace vexo::extract {

using archive::StateBitScope;

void TCustomExtractor::OpenSolidArchive() {
    isSolid_ = (header_.Flags & archive::kHeaderSolid) != 0;
    if (!isSolid_) return;
    const std::string temp = MakeTempFileName();
    {
        StateBitScope unpacking(state_, archive::sbUnpackingSolid);
        if (header_.SegmentInfo.FileCount > 0) {
            try {
                ReadAndCheckHeader();
                archive::ReadFileEntry(*stream_, currentEntry_);
                ValidateEntry();
                ExtractEntryAt(1, currentEntry_.Offset,
                               static_cast<std::int32_t>(std::nearbyint(largestTotal_)), temp);
                processedBytes_ = 0;
                timer_.ClearElapsed();
            } catch (...) {
                platform::DeleteFile(temp);
                isSolid_ = false;
                throw;
            }
        }
    }
    CloseStream();
    options_ &= ~(archive::OptionBit(archive::oCreateSolidArchives) |
                  archive::OptionBit(archive::oWriteSFXCode) | archive::OptionBit(archive::oCrypt) |
                  archive::OptionBit(archive::oCompress));
    AssignFileNameDirect(temp);
    if (!platform::FileExists(temp)) CreateArchive();
    OpenStream();
    currentSegment_ = 1;
    PrepareArchive();
}

void TCustomExtractor::CloseSolidArchive() {
    if (!isSolid_) return;
    const std::string temp = fileName_;
    CloseStream();
    AssignFileNameDirect(savedFileName_);
    SplitFileName();
    options_ = savedOptions_;
    platform::DeleteFile(temp);
    isSolid_ = false;
}

} // namespace vexo::extract
