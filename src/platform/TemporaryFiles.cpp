// TemporaryFiles.cpp - exclusive temporary names beside a destination, and their leftovers.
#include "platform/TemporaryFiles.h"

#include "platform/Error.h"
#include "platform/FileSystem.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <set>

namespace vexo::platform {
namespace {

constexpr int kNameAttempts = 4096;
constexpr std::size_t kHexDigits = 5;

std::uint32_t NextNameSeed() {
    // Two writers in one process, or a leftover of a killed run, must not meet on a name.
    static std::atomic<std::uint32_t> counter{static_cast<std::uint32_t>(
        std::chrono::steady_clock::now().time_since_epoch().count() & 0xFFFFFu)};
    return counter.fetch_add(1, std::memory_order_relaxed);
}

std::string FolderOf(std::string_view path) {
    const auto slash = path.find_last_of("\\/:");
    return std::string(slash == std::string_view::npos ? std::string_view{}
                                                       : path.substr(0, slash + 1));
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

} // namespace

TemporaryFile CreateTemporaryBeside(std::string_view destination) {
    const std::string folder = FolderOf(destination);
    for (int i = 0; i < kNameAttempts; ++i) {
        char name[24];
        std::snprintf(name, sizeof name, "~vx%05x.tmp", NextNameSeed() & 0xFFFFFu);
        TemporaryFile file{nullptr, folder + name};
        try {
            file.stream = OpenFile(file.path, OpenMode::CreateNew);
            return file;
        } catch (const PlatformError& e) {
            if (e.Code() != kErrorFileExists && e.Code() != kErrorAlreadyExists) throw;
        }
    }
    SetLastError(kErrorFileExists);
    throw PlatformError(kErrorFileExists, SystemErrorMessage(kErrorFileExists));
}

bool IsTemporaryName(std::string_view name) {
    if (name.size() != 3 + kHexDigits + 4 || name.substr(0, 3) != "~vx" ||
        name.substr(3 + kHexDigits) != ".tmp")
        return false;
    for (char c : name.substr(3, kHexDigits))
        if (!IsHexDigit(c)) return false;
    return true;
}

void RemoveTemporaryLeftovers(std::string_view destination) {
    const std::string folder = FolderOf(destination);
    {
        // One listing per folder and process: the extractor writes many files into each.
        static std::mutex mutex;
        static std::set<std::string> swept;
        std::lock_guard lock(mutex);
        if (!swept.insert(folder).second) return;
    }
    for (const FindEntry& entry : FindFiles(folder + "~vx*.tmp")) {
        if ((entry.attributes & kAttrDirectory) || !IsTemporaryName(entry.name)) continue;
        DeleteUnheldFile(folder + entry.name); // a running writer's file stays
    }
}

} // namespace vexo::platform
