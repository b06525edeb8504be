// ExtractorEntries.cpp - TCustomExtractor restoring one entry: the checks of its record, the
// restore decision, the output file, skipping its data, and the per-entry error policy.
#include "extract/Extractor.h"

#include "extract/SafeOutputFile.h"

#include "archive/Exceptions.h"
#include "archive/FileRoutines.h"
#include "archive/PathRoutines.h"
#include "archive/Prompts.h"
#include "archive/TextFormat.h"
#include "platform/Encoding.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/Interrupt.h"
#include "platform/PathLimits.h"

#include <stdexcept>
#include <string_view>

namespace vexo::extract {

using archive::EAbort;
using archive::EArchiver;
using archive::HasOption;
using archive::StateBitScope;

namespace {

// A component Windows may read as the parent directory: "..", and the dot runs and trailing
// spaces it trims to that (".. ", "...").
bool ClimbsUp(std::string_view component) {
    while (!component.empty() && component.back() == ' ')
        component.remove_suffix(1);
    return component.size() >= 2 && component.find_first_not_of('.') == std::string_view::npos;
}

// Stored names that climb out of the extraction directory are refused. A drive colon also
// separates: "C:..\x" is the parent of the drive's current directory, or of the extraction
// root once a confined name loses its drive.
bool HasParentComponent(const std::string& name) {
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find_first_of("\\/:", start);
        if (end == std::string::npos) end = name.size();
        if (ClimbsUp(std::string_view(name).substr(start, end - start))) return true;
        start = end + 1;
    }
    return false;
}

// A destination the host cannot hold is refused as this entry's error before any folder of
// it is made, with the figures that say what to shorten.
void RefuseBeyondHostLimits(const std::string& destFile, bool folder) {
    const platform::PathLimitCheck check = platform::CheckPathLimits(destFile, folder);
    if (check.verdict == platform::PathVerdict::Fits) return;
    const std::string text =
        check.verdict == platform::PathVerdict::NameTooLong
            ? W1252("Nombre demasiado largo para el sistema (%d, el máximo es %d): %s")
            : W1252("Ruta demasiado larga para el sistema (%d, el máximo es %d): %s");
    throw EArchiver(archive::Format(text, static_cast<int>(check.length),
                                    static_cast<int>(check.limit),
                                    archive::ShortenPath(destFile, 50)));
}

} // namespace

void TCustomExtractor::ValidateEntry() {
    const archive::TFileEntry& e = currentEntry_;
    const std::int64_t here = stream_->Position();
    // What the walk needs to pass the entry; the other sizes are checked when its data is
    // read, where a fault is this entry's alone (ReadEntryData).
    if (e.PieceStoredSize < 0 || e.FileSize < 0 || here + e.PieceStoredSize > SegmentEnd())
        throw EArchiver(Messages().BadCRC);
}

// --- restore decision --------------------------------------------------------------------

bool TCustomExtractor::DecideRestore(const std::string& destFile) {
    const bool exists = platform::FileExists(destFile);
    decidedOnMissing_ = !exists;
    archive::TDateTime existingDate = 0;
    if (exists && (restoreAction_ == raUpdate || restoreAction_ == raUpdateExisting))
        existingDate = archive::GetFileDate(destFile);
    switch (DecideRestoreAction(restoreAction_, exists, existingDate, currentEntry_.Date)) {
    case RestoreDecision::Extract:
        return true;
    case RestoreDecision::Skip:
        return false;
    case RestoreDecision::Ask:
        return ConfirmOverwrite(destFile);
    }
    return false;
}

bool TCustomExtractor::ConfirmOverwrite(const std::string& destFile) {
    if (overwriteAll_) return true;
    PauseTiming();
    archive::OverwritePromptData data;
    data.ExistingName = archive::ShortenPath(destFile, 50);
    data.ArchivedName = archive::ShortenPath(currentEntry_.Name, 50);
    data.ExistingSize = archive::GetFileSize(destFile);
    data.ArchivedSize = currentEntry_.FileSize;
    data.ExistingDate = archive::GetFileDate(destFile);
    data.ArchivedDate = currentEntry_.Date;
    archive::OverwriteAnswer answer = archive::CurrentPrompts().OverwritePrompt(data);
    ResumeTiming();
    switch (answer) {
    case archive::OverwriteAnswer::Cancel:
        throw EAbort();
    case archive::OverwriteAnswer::YesToAll:
        overwriteAll_ = true;
        return true;
    case archive::OverwriteAnswer::Yes:
        return true;
    default: // No, or the prompt closed
        return false;
    }
}

// --- restoring ---------------------------------------------------------------------------

void TCustomExtractor::RestoreEntry(const std::string& destFile) {
    if (!DecideRestore(destFile)) {
        SkipEntryData(currentEntry_.Offset);
        return;
    }
    if (HasState(archive::sbUnpackingSolid)) {
        DisplayMessage(Messages().UncompressingSolidArchive);
        AddToLog(Messages().UncompressingSolidArchive);
    } else {
        DisplayMessage(archive::Format(Messages().ExtractingFile,
                                       archive::ExtractFileName(destFile), currentEntry_.FileSize));
        AddToLog(archive::Format(Messages().ExtractingFile, destFile, currentEntry_.FileSize));
    }
    const double processedBefore = processedBytes_;
    try {
        if (HasParentComponent(currentEntry_.Name))
            throw EArchiver(archive::Format(W1252("Nombre no permitido en el archivo: %s"),
                                            currentEntry_.Name));
        // A folder entry's own name is a directory too, stored with or without a final "\".
        const bool folder = (currentEntry_.Flags & archive::kEntryFolder) != 0;
        RefuseBeyondHostLimits(destFile, folder);
        if (!followLinks_) RefuseLinksOnTheWay(folder ? destFile + "\\" : destFile);
        CreateDirectoryPath(folder ? destFile : archive::ExtractFilePath(destFile));
        if (folder) return;

        const bool single = HasOption(options_, archive::oOpenSingleSegment);
        // Only a later piece continues what is there: a whole file needs no look.
        const bool keep =
            (currentEntry_.StartPosition != 0 || single) && platform::FileExists(destFile);
        // A whole file goes to a temporary name and replaces the destination only when
        // complete: a failure part-way leaves the previous file as it was, not a torn one.
        SafeOutputFile out(destFile, keep, archive::Format(Messages().CannotCreateFile, destFile));
        platform::TestPausePoint("output");
        ReadEntryData(out.Stream());
        out.Close();
        platform::SetFileAge(out.WrittenPath(), archive::DateTimeToDosDateTime(currentEntry_.Date));
        // A stop requested while the file was written keeps the old file: nothing is committed.
        platform::TestPausePoint("commit");
        CheckAbort();
        // A file another program made since the decision is decided on again, never
        // replaced unasked: under "skip" it stays and the written copy goes.
        if (!decidedOnMissing_ || !out.CommitIfStillMissing()) {
            if (decidedOnMissing_ && !DecideRestore(destFile)) {
                ++filesProcessed_;
                CheckSegmentEnd();
                return;
            }
            out.Commit();
        }
        ++filesProcessed_;
        platform::SetFileAttributes(destFile, static_cast<std::uint32_t>(currentEntry_.Attributes));
        if (OnFileExtracted)
            OnFileExtracted(*this, currentEntry_, archive::ExtractFilePath(destFile));
        CheckSegmentEnd();
    } catch (const EAbort&) {
        throw;
    } catch (const std::runtime_error& e) {
        if (!HandleError(e)) {
            if (errorAction_ == archive::eaAsk || OnError) throw EAbort();
            throw;
        }
        processedBytes_ = processedBefore;
        SkipEntryData(currentEntry_.Offset);
    }
}

void TCustomExtractor::RefuseLinksOnTheWay(const std::string& destFile) {
    const std::string root = archive::WithTrailingBackslash(extractPath_);
    if (destFile.size() <= root.size() ||
        !platform::EqualsIgnoreCaseAscii(std::string_view(destFile).substr(0, root.size()), root))
        return; // a destination elsewhere (an absolute name, an event's choice) is not below
    // Each folder from the top down: created folders are checked as they come to exist.
    for (std::size_t at = root.size();
         (at = destFile.find_first_of("\\/", at)) != std::string::npos; ++at) {
        const std::string folder = destFile.substr(0, at);
        if (folder.size() <= root.size()) continue; // "\\" doubled: the same folder
        const std::string key = platform::UpperAscii(folder);
        if (linkFreeFolders_.count(key)) continue;
        if (platform::IsLink(folder))
            throw EArchiver(archive::Format(W1252("No se escribe a través del enlace %s"), folder));
        // A missing folder is no link; it is remembered once it has been made.
        if (platform::DirectoryExists(folder))
            linkFreeFolders_.insert(key);
        else
            break;
    }
}

void TCustomExtractor::SkipEntryData(std::int32_t entryOffset) {
    {
        StateBitScope skipping(state_, archive::sbSkippingFile);
        if (entryOffset < GetHeaderSize() || entryOffset >= header_.EndOffset)
            throw EArchiver(Messages().BadCRC);
        stream_->SetPosition(static_cast<std::int64_t>(startOffset_) + entryOffset);
        archive::ReadFileEntry(*stream_, currentEntry_);
        ValidateEntry();
        const bool single = HasOption(options_, archive::oOpenSingleSegment);
        for (;;) {
            stream_->Seek(currentEntry_.PieceStoredSize, platform::SeekOrigin::Current);
            processedBytes_ += currentEntry_.PieceStoredSize;
            ShowProgress();
            if ((currentEntry_.Flags & (archive::kEntryLastPiece | archive::kEntryFolder)) != 0 ||
                single)
                break;
            archive::TFileEntry saved = currentEntry_;
            if (!CheckSegmentEnd()) throw EArchiver(Messages().BadCRC);
            currentEntry_.Segment = saved.Segment;
            currentEntry_.Offset = saved.Offset;
        }
    }
    ++filesProcessed_;
    // Outside the skipping state: an entry that ends its segment is followed by a new file in
    // the next one, not by a continuation of itself.
    CheckSegmentEnd();
}

} // namespace vexo::extract
