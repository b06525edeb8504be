// List.cpp - "list": every field of every entry record.
#include "Tool.h"

#include "archive/ArchiveReader.h"

#include <cstdio>
#include <iostream>

namespace vexo::tool {

int RunList(const std::vector<std::string>& args) {
    std::string path;
    bool json = false;
    for (const auto& a : args) {
        if (a == "--json")
            json = true;
        else if (path.empty() && a.rfind("--", 0) != 0)
            path = a;
        else
            throw UsageError("unexpected argument \"" + a + "\"");
    }
    if (path.empty()) throw UsageError("no archive file given");
    OpenedArchive a = OpenArchive(path);
    auto entries = archive::ReadSegmentEntries(*a.file, a.start, a.header);
    if (json) {
        std::cout << "[";
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const auto& e = entries[i];
            char date[40];
            std::snprintf(date, sizeof date, "%.17g", e.Date);
            std::cout << (i ? ",\n " : "\n ") << "{\"name\": " << JsonString(Utf8(e.Name))
                      << ", \"date\": " << date
                      << ", \"dateText\": " << JsonString(DateTimeText(e.Date))
                      << ", \"attributes\": " << e.Attributes << ", \"segment\": " << e.Segment
                      << ", \"offset\": " << e.Offset << ", \"startPosition\": " << e.StartPosition
                      << ", \"flags\": " << static_cast<int>(e.Flags)
                      << ", \"fileSize\": " << e.FileSize
                      << ", \"fileStoredSize\": " << e.FileStoredSize
                      << ", \"pieceSize\": " << e.PieceSize
                      << ", \"pieceStoredSize\": " << e.PieceStoredSize
                      << ", \"installRule\": " << JsonString(Utf8(std::string(1, e.InstallRule)))
                      << "}";
        }
        std::cout << (entries.empty() ? "]\n" : "\n]\n");
        return 0;
    }
    std::printf("%-4s %-19s %6s %4s %9s %5s %10s %10s  %s\n", "rule", "date", "attr", "seg",
                "offset", "flags", "size", "stored", "name");
    for (const auto& e : entries)
        std::printf("%-4c %-19s 0x%04X %4d %9d  0x%02X %10d %10d  %s\n",
                    e.InstallRule ? e.InstallRule : ' ', DateTimeText(e.Date).c_str(),
                    static_cast<unsigned>(e.Attributes), e.Segment, e.Offset, e.Flags, e.FileSize,
                    e.PieceStoredSize, Utf8(e.Name).c_str());
    std::fflush(stdout);
    return 0;
}

} // namespace vexo::tool
