// ArchiveListing.h - the entries of the installer's archive, read without touching the
// component that runs the extraction.
#pragma once

#include "extract/Extractor.h"
#include "installer/RunOutcomes.h"

namespace vexo::installer {

/// Every entry of the archive `like` points at (its file name, start and options), folders
/// included, in archive order. A second component does the reading, so the running one keeps
/// its state and fires no events. A read that fails part-way returns the entries before the
/// failure with `complete` false.
EntryListing ListArchiveEntries(const extract::TExtractor& like);

} // namespace vexo::installer
