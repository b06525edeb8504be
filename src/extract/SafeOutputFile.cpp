// SafeOutputFile.cpp - temporary output beside the destination, renamed over it when complete.
#include "extract/SafeOutputFile.h"

#include "archive/Exceptions.h"
#include "archive/PathRoutines.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"

#include <atomic>
#include <chrono>
#include <cstdio>

namespace vexo::extract {
namespace {

constexpr auto kReadWriteDenyWrite = platform::OpenMode::ReadWriteDenyWrite;
constexpr int kNameAttempts = 4096;

std::uint32_t NextNameSeed() {
    // Two extractors in one process, or a leftover of a killed run, must not meet on a name.
    static std::atomic<std::uint32_t> counter{static_cast<std::uint32_t>(
        std::chrono::steady_clock::now().time_since_epoch().count() & 0xFFFFFu)};
    return counter.fetch_add(1, std::memory_order_relaxed);
}

} // namespace

std::string SafeOutputFile::TemporaryNameFor(const std::string& destFile) {
    const std::string dir = archive::ExtractFilePath(destFile);
    for (int i = 0; i < kNameAttempts; ++i) {
        char name[24];
        std::snprintf(name, sizeof name, "~vx%05x.tmp", NextNameSeed() & 0xFFFFFu);
        std::string candidate = dir + name;
        if (platform::GetFileAttributes(candidate) == platform::kInvalidAttributes)
            return candidate;
    }
    return dir + "~vx.tmp";
}

SafeOutputFile::SafeOutputFile(std::string destFile, bool inPlace, std::string cannotCreateText)
    : destFile_(std::move(destFile)), cannotCreateText_(std::move(cannotCreateText)),
      inPlace_(inPlace) {
    if (inPlace_) {
        // Only the directory and volume bits survive, so a read-only piece target opens.
        std::uint32_t attributes = platform::GetFileAttributes(destFile_);
        if (attributes != platform::kInvalidAttributes)
            platform::SetFileAttributes(destFile_, attributes & 0x18u);
        writtenPath_ = destFile_;
    } else {
        // A directory in the way would only be found at the rename, after all the work.
        if (platform::DirectoryExists(destFile_)) throw archive::EArchiver(cannotCreateText_);
        writtenPath_ = TemporaryNameFor(destFile_);
    }
    try {
        stream_ = platform::OpenFile(writtenPath_,
                                     inPlace_ ? kReadWriteDenyWrite : platform::OpenMode::Create);
    } catch (const platform::PlatformError&) {
        done_ = true; // nothing of ours to remove
        throw archive::EArchiver(cannotCreateText_);
    }
}

SafeOutputFile::~SafeOutputFile() {
    if (!done_) Discard();
}

void SafeOutputFile::Discard() noexcept {
    stream_.reset();
    done_ = true;
    if (!inPlace_) platform::DeleteFile(writtenPath_);
}

void SafeOutputFile::Commit() {
    stream_.reset();
    if (inPlace_) {
        done_ = true;
        return;
    }
    const std::uint32_t previous = platform::GetFileAttributes(destFile_);
    if (previous != platform::kInvalidAttributes)
        platform::SetFileAttributes(destFile_, previous & 0x18u);
    if (!platform::RenameFileReplacing(writtenPath_, destFile_)) {
        if (previous != platform::kInvalidAttributes)
            platform::SetFileAttributes(destFile_, previous);
        Discard();
        throw archive::EArchiver(cannotCreateText_);
    }
    done_ = true;
}

} // namespace vexo::extract
