// ShellLinkFile.cpp - .lnk files written and read through this layer, without a shell.
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "platform/ShellParsers.h"

namespace vexo::platform {

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
    auto link = detail::ParseShellLinkFile(linkPath);
    if (link) link->target = detail::TargetBesideLink(linkPath, std::move(link->target));
    return link;
}

} // namespace vexo::platform
