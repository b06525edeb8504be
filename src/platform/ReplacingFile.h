// ReplacingFile.h - a new file written beside its destination and renamed over it when complete.
//
// The bytes go to a temporary file created exclusively in the destination's folder (see
// TemporaryFiles.h); Commit renames it over the destination in one step, so until then the
// previous file is whole, and an object destroyed without a Commit (a failure, an exception,
// a stop request) removes its temporary file. A link in the destination's place is replaced
// itself by the rename; its target is never opened.
#pragma once

#include "platform/Stream.h"

#include <memory>
#include <string>

namespace vexo::platform {

class ReplacingFile {
  public:
    /// Sweeps the leftovers of killed runs from the destination's folder and creates the
    /// temporary file (read/write, empty). Raises PlatformError when it cannot, or with
    /// kErrorAccessDenied when a directory holds the destination's name (the rename at the
    /// end would fail after all the work).
    explicit ReplacingFile(std::string destination);
    ~ReplacingFile();
    ReplacingFile(ReplacingFile&& other) noexcept;
    ReplacingFile& operator=(ReplacingFile&&) = delete;
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    /// The open temporary file; only until Close or Commit.
    platform::Stream& Stream() { return *stream_; }
    /// Closes the temporary file; it stays until Commit or destruction.
    void Close() { stream_.reset(); }
    const std::string& Destination() const { return destination_; }
    const std::string& TemporaryPath() const { return temporary_; }

    /// Closes the stream and renames the temporary file over the destination. False (LastError
    /// set, the temporary file removed, the destination as it was) when the rename is refused.
    bool Commit();
    /// As Commit, but the rename never replaces: false (LastError set) when it fails, a file
    /// holding the destination's name included. The temporary file then stays, for Commit or
    /// Discard.
    bool CommitIfMissing();
    /// Closes and removes the temporary file; the destination is left as it is.
    void Discard() noexcept;

  private:
    std::string destination_;
    std::string temporary_;
    std::unique_ptr<platform::Stream> stream_;
    bool done_ = false;
};

} // namespace vexo::platform
