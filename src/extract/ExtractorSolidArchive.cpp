// ExtractorSolidArchive.cpp - TCustomExtractor on a solid archive, whose one entry is itself an
// archive: unpacked to a temporary file at open, read in place of the outer one, removed at close.
#include "extract/Extractor.h"

#include "archive/Exceptions.h"
#include "archive/FileRoutines.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cmath>

namespace vexo::extract {

using archive::StateBitScope;

namespace {

// The temporary file is the component's own and never exists beforehand: the caller's restore
// policy is about its destination files, and under "existing only" it would refuse to create
// the temporary file and no solid archive could be opened.
class RestoreActionScope {
  public:
    RestoreActionScope(TRestoreAction& action, TRestoreAction during)
        : action_(action), saved_(action) {
        action_ = during;
    }
    ~RestoreActionScope() { action_ = saved_; }
    RestoreActionScope(const RestoreActionScope&) = delete;
    RestoreActionScope& operator=(const RestoreActionScope&) = delete;

  private:
    TRestoreAction& action_;
    TRestoreAction saved_;
};

} // namespace

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
                // The total is read from the file: a damaged one must not overflow the int.
                const double total = largestTotal_ > 0 ? std::min(largestTotal_, 2147483647.0) : 0;
                const std::int64_t expected = currentEntry_.FileSize;
                {
                    RestoreActionScope always(restoreAction_, raOverwrite);
                    ExtractEntryAt(1, currentEntry_.Offset,
                                   static_cast<std::int32_t>(std::nearbyint(total)), temp);
                }
                // An error answered with "continue" returns normally, but the inner archive is
                // then incomplete (or missing): it must not stand in for the outer one.
                if (!platform::FileExists(temp) || archive::GetFileSize(temp) != expected)
                    throw archive::EArchiver(Messages().CanNotCreateArchive);
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
