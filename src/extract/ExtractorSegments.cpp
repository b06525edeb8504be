// ExtractorSegments.cpp - TCustomExtractor over archives spread over several files: moving to
// the next segment, finding the final one, the insert-disk and locate prompts, and the
// continuation check.
#include "archive/FileRoutines.h"
#include "extract/Extractor.h"

#include "extract/BlockPrefetch.h"

#include "archive/Exceptions.h"
#include "archive/Prompts.h"
#include "archive/TextFormat.h"
#include "platform/FileSystem.h"

#include <stdexcept>

namespace vexo::extract {

using archive::EAbort;
using archive::EArchiver;
using archive::HasOption;
using archive::StateBitScope;
using archive::TArchiveHeader;

namespace {
constexpr int kHighestSegment = 0xFFFF; // segment numbers are 16-bit

bool IsFinal(const TArchiveHeader& h) {
    return (h.Flags & archive::kHeaderFinalSegment) != 0;
}
} // namespace

bool TCustomExtractor::IsArchiveSegment(const std::string& fileName, TArchiveHeader& header) {
    try {
        if (!platform::FileExists(fileName)) return false;
        auto s = platform::OpenFile(fileName, platform::OpenMode::ReadDenyWrite);
        s->SetPosition(archive::StartOffsetFor(fileName, sfxCodeSize_));
        if (!ReadHeader(*s, header)) return false;
        return header.ArchiveID == header_.ArchiveID;
    } catch (const std::runtime_error&) {
        return false; // missing, unreadable or short: not a segment
    }
}

void TCustomExtractor::OpenFirstSegment() {
    if (!HasOption(options_, archive::oOpenSingleSegment)) OpenSegment(1);
}

bool TCustomExtractor::CheckSegmentEnd() {
    if (!stream_ || !SegmentExhausted() || IsFinal(header_) ||
        HasOption(options_, archive::oOpenSingleSegment))
        return false;
    if (currentSegment_ >= kHighestSegment) throw EArchiver(Messages().WrongNextSegment);
    StateBitScope changing(state_, archive::sbChangingSegment);
    OpenSegment(currentSegment_ + 1);
    return true;
}

void TCustomExtractor::OpenSegment(int n) {
    if (n == currentSegment_ && stream_) return;
    StopDecodingAhead(); // it walks the segment that is closing
    PauseTiming();
    CloseStream();
    fileName_ = GetSegmentFileName(n);
    TArchiveHeader found;
    if (!IsArchiveSegment(fileName_, found) || found.Segment != n) {
        if (archive::IsRemovableDrive(fileName_))
            InsertDiskLoop(n);
        else
            LocateSegmentLoop(n);
    }
    OpenStream();
    currentSegment_ = static_cast<std::uint16_t>(n);
    GrowTotal();
    if (OnSegmentChanged) OnSegmentChanged(*this);
    if (HasState(archive::sbCopyingBlocks) || HasState(archive::sbSkippingFile)) {
        archive::TFileEntry saved = currentEntry_;
        archive::ReadFileEntry(*stream_, currentEntry_);
        ValidateEntry();
        CheckContinuation(saved, currentEntry_);
    }
    ResumeTiming();
}

void TCustomExtractor::CheckContinuation(const archive::TFileEntry& saved,
                                         const archive::TFileEntry& current) {
    if (saved.Name != current.Name || saved.FileSize != current.FileSize ||
        saved.Date != current.Date)
        throw EArchiver(Messages().WrongNextSegment);
}

bool TCustomExtractor::AcceptDriveAnswer(std::string& drive, const std::string& remembered) {
    if (drive.size() < 2 || drive[1] != ':') drive = remembered;
    if (drive.empty()) return false;
    return archive::IsDriveReady(drive[0]);
}

void TCustomExtractor::InsertDiskLoop(int n) {
    std::string drive = nameParts_.Drive;
    const std::string text = archive::Format(Messages().InsertDisk, n, drive);
    for (;;) {
        const std::string remembered = drive;
        if (OnInsertDisk)
            OnInsertDisk(*this, n, drive);
        else if (!InputText(text, drive))
            throw EAbort();
        if (!AcceptDriveAnswer(drive, remembered)) continue;
        nameParts_.Drive = drive.substr(0, 2);
        TArchiveHeader found;
        if (IsArchiveSegment(GetSegmentFileName(n), found) && found.Segment == n) break;
    }
    fileName_ = GetSegmentFileName(n);
}

void TCustomExtractor::LocateSegmentLoop(int n) {
    std::string name;
    for (;;) {
        name = GetSegmentFileName(n);
        if (OnLocateSegment)
            OnLocateSegment(*this, n, name);
        else if (!InputText(Messages().LocateSegment, name))
            throw EAbort();
        TArchiveHeader found;
        if (IsArchiveSegment(name, found) && found.Segment == n) break;
        MessageDlg(archive::Format(Messages().WrongSegment, n, nameParts_.BaseName),
                   archive::MessageType::mtWarning, archive::MessageButtons::mbOK, 0);
    }
    fileName_ = name;
    ResplitKeepingExtension(n);
    currentSegment_ = static_cast<std::uint16_t>(n);
}

void TCustomExtractor::ResplitKeepingExtension(int segment) {
    // The answer moves the directory for later segments. A later segment's own name ends in
    // its number, not in the first segment's extension, which must survive the split so the
    // first segment can still be found by name.
    const std::string extension = nameParts_.Extension;
    SplitFileName();
    if (segment >= 2) nameParts_.Extension = extension;
}

void TCustomExtractor::PrepareArchive() {
    timer_.ClearElapsed();
    if (HasOption(options_, archive::oOpenSingleSegment)) {
        largestTotal_ = 0;
        return;
    }
    if (header_.Segment == 1 &&
        header_.SegmentInfo.CompressedSize < header_.ArchiveInfo.CompressedSize) {
        largestTotal_ = header_.ArchiveInfo.CompressedSize;
        return;
    }
    OpenLastSegment();
    largestTotal_ = header_.ArchiveInfo.CompressedSize;
}

void TCustomExtractor::OpenLastSegment() {
    if (IsFinal(header_) || HasOption(options_, archive::oOpenSingleSegment)) return;
    PauseTiming();
    CloseStream();
    bool found = false;
    int k = currentSegment_;
    while (k < kHighestSegment) {
        ++k;
        std::string name = GetSegmentFileName(k);
        TArchiveHeader h;
        if (!IsArchiveSegment(name, h)) break;
        if (IsFinal(h)) {
            fileName_ = name;
            found = true;
            break;
        }
    }
    if (!found) {
        if (archive::IsRemovableDrive(fileName_))
            InsertLastDiskLoop();
        else
            LocateLastSegmentLoop(k);
    }
    OpenStream();
    currentSegment_ = header_.Segment;
    ResumeTiming();
}

void TCustomExtractor::InsertLastDiskLoop() {
    std::string drive = nameParts_.Drive;
    const std::string text = archive::Format(Messages().InsertLastSegment, drive);
    for (;;) {
        const std::string remembered = drive;
        if (OnInsertLastDisk)
            OnInsertLastDisk(*this, drive);
        else if (!InputText(text, drive))
            throw EAbort();
        if (!AcceptDriveAnswer(drive, remembered)) continue;
        const std::string folder = drive.substr(0, 2) + nameParts_.Directory;
        // Every name that starts with the base name: DISK.ARC, DISK.001, DISK.002 ... all do,
        // and the headers then tell which one is the final segment. A pattern that also fixed
        // an extension after the "*" would match none of the numbered segments, whose
        // extensions are their numbers, so the last disk would never be recognised.
        for (const platform::FindEntry& match :
             platform::FindFiles(folder + nameParts_.BaseName + "*")) {
            if ((match.attributes & platform::kAttrDirectory) != 0) continue;
            TArchiveHeader h;
            if (IsArchiveSegment(folder + match.name, h) && IsFinal(h)) {
                nameParts_.Drive = drive.substr(0, 2);
                fileName_ = folder + match.name;
                return;
            }
        }
    }
}

void TCustomExtractor::LocateLastSegmentLoop(int lastTried) {
    std::string name;
    TArchiveHeader found;
    for (;;) {
        const std::string text = archive::Format(Messages().LocateLastSegment, nameParts_.BaseName);
        name = GetSegmentFileName(lastTried);
        if (OnLocateLastSegment)
            OnLocateLastSegment(*this, name);
        else if (!InputText(text, name))
            throw EAbort();
        if (IsArchiveSegment(name, found) && IsFinal(found)) break;
        MessageDlg(Messages().WrongLastSegment, archive::MessageType::mtWarning,
                   archive::MessageButtons::mbOK, 0);
        found = {};
    }
    fileName_ = name;
    ResplitKeepingExtension(found.Segment);
}

} // namespace vexo::extract
