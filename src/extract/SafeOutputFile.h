// SafeOutputFile.h - the output file of one entry, written so that a failure loses nothing.
//
// A whole file is written through a platform::ReplacingFile: under a free temporary name in the
// destination's directory, renamed over the destination only once it is complete; until then
// the previous file is untouched, and an object destroyed without Commit removes its temporary
// file. A piece that
// goes into an existing file at its start position is written in place, as the pieces of a
// multi-segment file must be; never through a link. A destination that is a link is replaced
// itself by the rename, its target left alone.
#pragma once

#include "platform/ReplacingFile.h"
#include "platform/Stream.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace vexo::extract {

class SafeOutputFile {
  public:
    /// Opens the output for `destFile`: in place (existing file kept, read/write, others denied
    /// writing) when `inPlace`, otherwise a new temporary file beside it. A failure raises
    /// EArchiver with `cannotCreateText` (the message set's text, already naming destFile).
    SafeOutputFile(std::string destFile, bool inPlace, std::string cannotCreateText);
    ~SafeOutputFile();
    SafeOutputFile(const SafeOutputFile&) = delete;
    SafeOutputFile& operator=(const SafeOutputFile&) = delete;

    platform::Stream& Stream() { return replacing_ ? replacing_->Stream() : *stream_; }
    /// Closes the stream; the written file can then be dated.
    void Close();
    /// The file the bytes went to: the temporary name, or the destination when in place.
    const std::string& WrittenPath() const { return writtenPath_; }
    bool InPlace() const { return inPlace_; }
    /// Closes the stream and puts the written file in the destination's place. Before the
    /// rename the destination's attributes are cut to 0x18 so a read-only file can be
    /// replaced; they are put back when the rename fails. A failure raises EArchiver with the
    /// creation text and leaves the previous file as it was.
    void Commit();
    /// Commit for a destination decided on as missing: the rename never replaces. False when
    /// a file took the name meanwhile; the written file is then kept for Commit or the
    /// destructor, so the caller decides again on what is there now.
    bool CommitIfStillMissing();

    /// A free name "~vx<hex>.tmp" in the directory of `destFile` (the output itself creates its
    /// temporary file exclusively, under such a name).
    static std::string TemporaryNameFor(const std::string& destFile);

  private:
    void Discard() noexcept;

    std::string destFile_;
    std::string writtenPath_;
    std::string cannotCreateText_;
    bool inPlace_;
    bool done_ = false;
    std::unique_ptr<platform::Stream> stream_;         // in place
    std::optional<platform::ReplacingFile> replacing_; // a whole file
};

} // namespace vexo::extract
