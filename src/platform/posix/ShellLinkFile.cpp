// ShellLinkFile.cpp - .lnk files written and read through this layer, without a shell.
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "platform/ShellParsers.h"
#include "platform/TemporaryFiles.h"

namespace vexo::platform {

void WriteShellLink(std::string_view linkPath, const ShellLink& link) {
    const auto bytes = BuildShellLink(link);
    // Written whole under a new name of its own, then put in place: a name planted where the
    // link goes is replaced, never written through, and a torn link is never seen.
    TemporaryFile file = CreateTemporaryBeside(linkPath);
    try {
        file.stream->WriteBuffer(bytes.data(), bytes.size());
    } catch (const EWriteError&) {
        const int code = LastError() ? LastError() : kErrorWriteFault;
        file.stream.reset();
        DeleteFile(file.path);
        SetLastError(code);
        throw PlatformError(code, SystemErrorMessage(code));
    }
    file.stream.reset();
    if (!RenameFileReplacing(file.path, linkPath)) {
        const int code = LastError();
        DeleteFile(file.path);
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
