// SafeOutputFile.cpp - an entry's output: a replacing temporary file, or a piece in place.
#include "extract/SafeOutputFile.h"

#include "archive/Exceptions.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/TemporaryFiles.h"

namespace vexo::extract {
namespace {

constexpr auto kReadWriteDenyWrite = platform::OpenMode::ReadWriteDenyWrite;

} // namespace

std::string SafeOutputFile::TemporaryNameFor(const std::string& destFile) {
    // Claimed by creating it: a name only looked at could be taken before it is used.
    platform::TemporaryFile file = platform::CreateTemporaryBeside(destFile);
    file.stream.reset();
    platform::DeleteFile(file.path);
    return file.path;
}

SafeOutputFile::SafeOutputFile(std::string destFile, bool inPlace, std::string cannotCreateText)
    : destFile_(std::move(destFile)), cannotCreateText_(std::move(cannotCreateText)),
      inPlace_(inPlace) {
    done_ = true; // nothing of ours to remove until a file is open
    try {
        if (inPlace_) {
            // A piece goes into the file itself, never through a link into another.
            if (platform::IsLink(destFile_)) throw archive::EArchiver(cannotCreateText_);
            // Only the directory and volume bits survive, so a read-only piece target opens.
            std::uint32_t attributes = platform::GetFileAttributes(destFile_);
            if (attributes != platform::kInvalidAttributes)
                platform::SetFileAttributes(destFile_, attributes & 0x18u);
            writtenPath_ = destFile_;
            stream_ =
                platform::OpenFile(writtenPath_, kReadWriteDenyWrite, platform::FinalLink::Refuse);
        } else {
            replacing_.emplace(destFile_);
            writtenPath_ = replacing_->TemporaryPath();
        }
    } catch (const platform::PlatformError&) {
        throw archive::EArchiver(cannotCreateText_);
    }
    done_ = false;
}

SafeOutputFile::~SafeOutputFile() {
    if (!done_) Discard();
}

void SafeOutputFile::Close() {
    stream_.reset();
    if (replacing_) replacing_->Close();
}

void SafeOutputFile::Discard() noexcept {
    stream_.reset();
    done_ = true;
    if (replacing_) replacing_->Discard();
}

void SafeOutputFile::Commit() {
    Close();
    if (inPlace_) {
        done_ = true;
        return;
    }
    // A link in the destination's place is replaced itself: its target keeps its attributes.
    const std::uint32_t previous = platform::IsLink(destFile_)
                                       ? platform::kInvalidAttributes
                                       : platform::GetFileAttributes(destFile_);
    if (previous != platform::kInvalidAttributes)
        platform::SetFileAttributes(destFile_, previous & 0x18u);
    if (!replacing_->Commit()) {
        if (previous != platform::kInvalidAttributes)
            platform::SetFileAttributes(destFile_, previous);
        Discard();
        throw archive::EArchiver(cannotCreateText_);
    }
    done_ = true;
}

bool SafeOutputFile::CommitIfStillMissing() {
    Close();
    if (inPlace_) {
        done_ = true;
        return true;
    }
    if (replacing_->CommitIfMissing()) {
        done_ = true;
        return true;
    }
    if (platform::LastError() == platform::kErrorAlreadyExists || platform::FileExists(destFile_))
        return false;
    Discard();
    throw archive::EArchiver(cannotCreateText_);
}

} // namespace vexo::extract
