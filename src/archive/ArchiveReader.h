// ArchiveReader.h - checked reading of one archive file: header and the entries of its segment.
#pragma once

#include "archive/Format.h"
#include "archive/Messages.h"
#include "platform/Stream.h"

#include <vector>

namespace vexo::archive {

/// Reads the header at `start`: a wrong signature raises EArchiver with BadSignature formatted
/// with `fileName`; a version above 1 raises Exception with UnknownVersion.
TArchiveHeader ReadCheckedHeader(platform::Stream& s, std::int64_t start,
                                 const std::string& fileName, const TMessages& messages);

/// Walks the entries from the end of the header to start + EndOffset, skipping their data.
/// EndOffset, every entry's place and every PieceStoredSize are checked against the stream
/// before use; a damaged value raises EArchiver.
std::vector<TFileEntry> ReadSegmentEntries(platform::Stream& s, std::int64_t start,
                                           const TArchiveHeader& header);

} // namespace vexo::archive
