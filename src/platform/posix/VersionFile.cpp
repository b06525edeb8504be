// VersionFile.cpp - a program file's version resource, read through this layer.
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"

#include <algorithm>
#include <vector>

namespace vexo::platform {

namespace {
constexpr std::size_t kHeaderProbe = 64 * 1024; // the PE headers lie within this
}

std::optional<VersionInfo> ReadVersionInfo(std::string_view path) {
    std::vector<std::uint8_t> bytes;
    try {
        auto stream = OpenFile(path, OpenMode::ReadShareAll);
        const std::int64_t size = stream->Size();
        bytes.resize(static_cast<std::size_t>(std::min<std::int64_t>(size, kHeaderProbe)));
        bytes.resize(stream->Read(bytes.data(), bytes.size()));
        // Read on only as far as the sections reach; an installer's appended data is skipped.
        if (const std::size_t extent = PeImageExtent(bytes.data(), bytes.size())) {
            const std::size_t end = static_cast<std::size_t>(
                std::min<std::int64_t>(size, static_cast<std::int64_t>(extent)));
            if (end > bytes.size()) {
                const std::size_t have = bytes.size();
                bytes.resize(end);
                bytes.resize(have + stream->Read(bytes.data() + have, end - have));
            }
        }
    } catch (const PlatformError& e) {
        SetLastError(e.Code());
        return std::nullopt;
    }
    return ParseVersionInfo(bytes.data(), bytes.size());
}

} // namespace vexo::platform
