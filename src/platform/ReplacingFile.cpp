// ReplacingFile.cpp - temporary file beside a destination, renamed over it when complete.
#include "platform/ReplacingFile.h"

#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/TemporaryFiles.h"

#include <utility>

namespace vexo::platform {

ReplacingFile::ReplacingFile(std::string destination) : destination_(std::move(destination)) {
    if (DirectoryExists(destination_)) {
        SetLastError(kErrorAccessDenied);
        throw PlatformError(kErrorAccessDenied, SystemErrorMessage(kErrorAccessDenied));
    }
    RemoveTemporaryLeftovers(destination_);
    TemporaryFile file = CreateTemporaryBeside(destination_);
    stream_ = std::move(file.stream);
    temporary_ = std::move(file.path);
}

ReplacingFile::ReplacingFile(ReplacingFile&& other) noexcept
    : destination_(std::move(other.destination_)), temporary_(std::move(other.temporary_)),
      stream_(std::move(other.stream_)), done_(std::exchange(other.done_, true)) {}

ReplacingFile::~ReplacingFile() {
    Discard();
}

void ReplacingFile::Discard() noexcept {
    stream_.reset();
    if (done_) return;
    done_ = true;
    DeleteFile(temporary_);
}

bool ReplacingFile::Commit() {
    stream_.reset();
    if (done_) return false;
    if (!RenameFileReplacing(temporary_, destination_)) {
        const int error = LastError();
        Discard();
        SetLastError(error);
        return false;
    }
    done_ = true;
    return true;
}

bool ReplacingFile::CommitIfMissing() {
    stream_.reset();
    if (done_ || !RenameFile(temporary_, destination_)) return false;
    done_ = true;
    return true;
}

} // namespace vexo::platform
