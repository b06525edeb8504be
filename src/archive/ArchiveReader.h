// ArchiveReader.h - checked reading of one archive file: header and the entries of its segment.
#pragma once

#include "archive/Format.h"
#include "archive/Messages.h"
#include "platform/Stream.h"

#include <vector>

namespace vexo::archive {

/// The largest header block size a reader takes. An extractor holds two buffers of a block and
/// a hundredth each, so this bound keeps them to about 130 MiB; they are not filled in advance,
/// so a small archive with a large block size costs only what its blocks use.
inline constexpr std::int32_t kMaxHeaderBlockSize = 64 * 1024 * 1024;

/// Raises EArchiver, naming `fileName`, for a block size no buffer can be sized from: negative,
/// or above kMaxHeaderBlockSize. 0 is taken: an archive without data blocks needs no buffer.
void CheckHeaderBlockSize(const TArchiveHeader& header, const std::string& fileName);

/// Reads the header at `start`: a start outside the stream raises EArchiver saying so; a wrong
/// signature raises EArchiver with BadSignature formatted with `fileName`; a version above 1 raises
/// Exception with UnknownVersion; a block size outside the bounds above raises as
/// CheckHeaderBlockSize does.
TArchiveHeader ReadCheckedHeader(platform::Stream& s, std::int64_t start,
                                 const std::string& fileName, const TMessages& messages);

/// Walks the entries from the end of the header to start + EndOffset, skipping their data.
/// EndOffset, every entry's place and every PieceStoredSize are checked against the stream
/// before use; a damaged value raises EArchiver.
std::vector<TFileEntry> ReadSegmentEntries(platform::Stream& s, std::int64_t start,
                                           const TArchiveHeader& header);

} // namespace vexo::archive
