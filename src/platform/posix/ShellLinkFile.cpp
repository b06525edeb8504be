// ShellLinkFile.cpp - .lnk files written and read through this layer, without a shell.
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"

#include <vector>

namespace vexo::platform {

namespace {
constexpr std::size_t kMaxLinkFile = 1 << 20; // no shell link is this large
}

void WriteShellLink(std::string_view linkPath, const ShellLink& link) {
    const auto bytes = BuildShellLink(link);
    auto stream = OpenFile(linkPath, OpenMode::Create);
    try {
        stream->WriteBuffer(bytes.data(), bytes.size());
    } catch (const EWriteError&) {
        int code = LastError() ? LastError() : kErrorWriteFault;
        stream.reset();
        DeleteFile(linkPath); // a torn link would mislead every reader
        SetLastError(code);
        throw PlatformError(code, SystemErrorMessage(code));
    }
}

std::optional<ShellLink> ReadShellLink(std::string_view linkPath) {
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
    auto link = ParseShellLink(bytes.data(), bytes.size());
    if (link && !link->target.empty() && link->target.find(':') == std::string::npos &&
        link->target.rfind("\\\\", 0) != 0) {
        // A relative target names a file beside the link.
        auto slash = linkPath.find_last_of("\\/");
        std::string folder = slash == std::string_view::npos
                                 ? std::string()
                                 : std::string(linkPath.substr(0, slash + 1));
        link->target = folder + link->target;
    }
    return link;
}

} // namespace vexo::platform
