// ProfileFile.cpp - GetPrivateProfileStringA over a file read through this layer.
#include "platform/FileSystem.h"
#include "platform/Shell.h"

namespace vexo::platform {

std::string ReadProfileString(std::string_view file, std::string_view section, std::string_view key,
                              std::string_view def) {
    constexpr std::int64_t kMaxProfileSize = 64 << 20;
    std::string text;
    try {
        auto stream = OpenFile(file, OpenMode::ReadShareAll);
        std::int64_t size = stream->Size();
        // No configuration file is this large; an unreadable file reads as a missing one.
        if (size > kMaxProfileSize) return ProfileStringFromText({}, section, key, def);
        text.resize(static_cast<std::size_t>(size));
        text.resize(stream->Read(text.data(), text.size()));
    } catch (const std::exception&) {
        return ProfileStringFromText({}, section, key, def);
    }
    return ProfileStringFromText(text, section, key, def);
}

} // namespace vexo::platform
