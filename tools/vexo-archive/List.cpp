// List.cpp - "list": every field of every entry record, gathered by the extractor's
// enumeration, so segments are followed and a solid archive shows the entries inside it.
#include "ExtractTool.h"
#include "TerminalPrompts.h"
#include "Tool.h"

#include "archive/Exceptions.h"
#include "platform/DisplayText.h"

#include <cstdio>
#include <iostream>
#include <optional>

namespace vexo::tool {

namespace {

// The open enumerates and keeps a copy of every entry record in the file list.
std::vector<archive::TFileEntry> Enumerate(const std::string& path, const std::string* key,
                                           ArchiveStartRule rule) {
    TerminalPrompts prompts;
    extract::TExtractor x;
    const auto generator = PointAt(x, path, key, rule);
    x.SetOptions(x.Options() | archive::OptionBit(archive::oMaintainFileDirectory));
    x.Open();
    std::vector<archive::TFileEntry> entries;
    for (const auto& item : x.FileList())
        entries.push_back(item->Entry);
    if (x.IsSolid()) std::cerr << path << ": solid archive; the entries inside it:\n";
    x.Close();
    return entries;
}

} // namespace

int RunList(const std::vector<std::string>& args) {
    std::string path;
    std::optional<std::string> key;
    bool json = false;
    ArchiveStartRule rule = ArchiveStartRule::Locator;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (TakeStartRuleOption(a, rule)) continue;
        if (a == "--json") {
            json = true;
        } else if (a == "--key") {
            // Only a solid archive whose wrapper is encrypted needs it.
            if (i + 1 >= args.size()) throw UsageError("--key needs a value");
            key = args[++i];
        } else if (path.empty() && a.rfind("--", 0) != 0) {
            path = a;
        } else {
            throw UsageError("unexpected argument \"" + a + "\"");
        }
    }
    if (path.empty()) throw UsageError("no archive file given");
    std::vector<archive::TFileEntry> entries;
    try {
        entries = Enumerate(path, key ? &*key : nullptr, rule);
    } catch (const archive::EAbort&) {
        std::cerr << "cancelled\n";
        return 1;
    }
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
    // Stored names and rules are shown with their control characters escaped.
    for (const auto& e : entries)
        std::printf(
            "%-4s %-19s 0x%04X %4d %9d  0x%02X %10d %10d  %s\n",
            platform::DisplayText(std::string(1, e.InstallRule ? e.InstallRule : ' ')).c_str(),
            DateTimeText(e.Date).c_str(), static_cast<unsigned>(e.Attributes), e.Segment, e.Offset,
            e.Flags, e.FileSize, e.PieceStoredSize, platform::DisplayText(e.Name).c_str());
    std::fflush(stdout);
    return 0;
}

} // namespace vexo::tool
