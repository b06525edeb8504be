// FileText.h - whole-file text helpers for the platform tests.
#pragma once

#include "platform/FileSystem.h"

#include <string>
#include <string_view>

namespace vexo::platform::test {

inline void WriteText(const std::string& path, std::string_view text) {
    auto s = OpenFile(path, OpenMode::Create);
    s->WriteBuffer(text.data(), text.size());
}

inline std::string ReadText(const std::string& path) {
    auto s = OpenFile(path, OpenMode::Read);
    std::string text(static_cast<std::size_t>(s->Size()), '\0');
    s->ReadBuffer(text.data(), text.size());
    return text;
}

} // namespace vexo::platform::test
