// ShellParserFiles.cpp - the shared shell-link and version parsers over a file read through this
// layer.
#include "platform/ShellParsers.h"

#include "platform/Error.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <vector>

namespace vexo::platform::detail {
namespace {
constexpr std::size_t kMaxLinkFile = 1 << 20;   // no shell link is this large
constexpr std::size_t kHeaderProbe = 64 * 1024; // the PE headers lie within this
} // namespace

std::optional<ShellLink> ParseShellLinkFile(std::string_view linkPath) {
    std::vector<std::uint8_t> bytes;
    try {
        auto stream = OpenFile(linkPath, OpenMode::ReadShareAll);
        std::int64_t size = stream->Size();
        if (size <= 0 || size > static_cast<std::int64_t>(kMaxLinkFile)) return std::nullopt;
        bytes.resize(static_cast<std::size_t>(size));
        bytes.resize(stream->Read(bytes.data(), bytes.size()));
    } catch (const std::exception&) {
        return std::nullopt;
    }
    return ParseShellLink(bytes.data(), bytes.size());
}

std::string TargetBesideLink(std::string_view linkPath, std::string target) {
    if (target.empty() || target.find(':') != std::string::npos || target.rfind("\\\\", 0) == 0)
        return target;
    auto slash = linkPath.find_last_of("\\/");
    std::string folder = slash == std::string_view::npos
                             ? std::string()
                             : std::string(linkPath.substr(0, slash + 1));
    return folder + target;
}

std::optional<VersionInfo> ParseVersionFile(std::string_view path) {
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

} // namespace vexo::platform::detail
