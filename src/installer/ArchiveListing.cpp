// ArchiveListing.cpp - a quiet second reader over the installer's archive.
#include "installer/ArchiveListing.h"

#include "platform/FileSystem.h"

#include <exception>

namespace vexo::installer {

EntryListing ListArchiveEntries(const extract::TExtractor& like) {
    EntryListing listing;
    // Opening a missing file would make a new, empty archive in its place.
    if (!platform::FileExists(like.FileName())) {
        listing.complete = false;
        return listing;
    }
    extract::TExtractor reader;
    reader.SetFileName(like.FileName());
    reader.SetSFXCodeSize(like.SFXCodeSize());
    reader.SetBlockSize(like.BlockSize());
    reader.SetLanguage(like.Language());
    reader.Loaded();
    // No busy box: an unattended listing has nobody to read it.
    archive::TOptions options = like.Options() & ~archive::OptionBit(archive::oShowBusyMessage);
    // Opened without its own enumeration, so that a failing one still leaves its list.
    reader.SetOptions(options & ~archive::OptionBit(archive::oMaintainFileDirectory) &
                      ~archive::OptionBit(archive::oEnumerateAfterOpen));
    try {
        reader.Open();
        reader.SetOptions(options | archive::OptionBit(archive::oMaintainFileDirectory));
        reader.EnumerateArchive();
    } catch (const std::exception&) {
        listing.complete = false;
    }
    for (const auto& item : reader.FileList())
        listing.entries.push_back(item->Entry);
    return listing;
}

} // namespace vexo::installer
