// Info.cpp - "info": the raw header of the file given, and the header the extractor holds once
// it has opened the archive (a solid archive's inner one, a segmented archive's final segment).
#include "ExtractTool.h"
#include "TerminalPrompts.h"
#include "Tool.h"

#include "archive/Exceptions.h"
#include "archive/PackageValues.h"
#include "archive/Real48.h"
#include "platform/DisplayText.h"

#include <cstdio>
#include <iostream>
#include <optional>
#include <vector>

namespace vexo::tool {
namespace {

std::string Number(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    return buf;
}

std::string Totals(const archive::TArchiveTotals& t, bool json) {
    if (json)
        return "{\"files\": " + std::to_string(t.FileCount) +
               ", \"uncompressed\": " + Number(t.Size) +
               ", \"stored\": " + Number(t.CompressedSize) + "}";
    return std::to_string(t.FileCount) + " files, " + Number(t.Size) + " bytes, " +
           Number(t.CompressedSize) + " stored";
}

std::string DateText(std::uint16_t w) {
    archive::PackageDate d = archive::DecodePackageDate(w);
    char buf[24];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
    return buf;
}

/// One line of the report: its JSON key and value, its text label and value (no label: the
/// line is in the JSON form only).
struct Field {
    std::string key, json, label, text;
};

Field Plain(const char* key, const char* label, const std::string& value) {
    return {key, value, label, value};
}

// Text from the archive: escaped for JSON, or shown with its control characters escaped.
Field Quoted(const char* key, const char* label, const std::string& cp1252) {
    return {key, JsonString(Utf8(cp1252)), label, platform::DisplayText(cp1252)};
}

/// The header's own fields and the package values read from it, in the report's order.
std::vector<Field> HeaderFields(const archive::TArchiveHeader& h) {
    const archive::PackageValues p = archive::ReadPackageValues(h);
    char flags[8];
    std::snprintf(flags, sizeof flags, "0x%02X", h.Flags);
    return {
        Plain("signature", "signature:", std::to_string(h.Signature)),
        Plain("version", "version:", std::to_string(h.Version)),
        Plain("archiveId", "archive id:", std::to_string(h.ArchiveID)),
        Plain("blockSize", "block size:", std::to_string(h.BlockSize)),
        Plain("endOffset", "end offset:", std::to_string(h.EndOffset)),
        Plain("segment", "segment:", std::to_string(h.Segment)),
        {"flags", std::to_string(h.Flags), "flags:", flags},
        {"archiveInfo", Totals(h.ArchiveInfo, true),
         "archive totals:", Totals(h.ArchiveInfo, false)},
        {"segmentInfo", Totals(h.SegmentInfo, true),
         "segment totals:", Totals(h.SegmentInfo, false)},
        Quoted("comment", "comment:", h.Comment),
        Plain("packageVersion",
              "package version:", Number(archive::Real48ToDouble(p.PackageVersion.data()))),
        Plain("packageCode", "package code:", std::to_string(p.PackageCode)),
        Quoted("packageDate", "package date:", DateText(p.PackageDate)),
        Quoted("productCode", "product code:", p.ProductCode),
    };
}

/// What the extractor holds after opening `path`, or why it could not open it.
struct Opened {
    std::string kind; // "single", "segmented" or "solid"
    archive::TArchiveHeader header;
    std::optional<std::string> error; // Windows-1252
};

Opened OpenWithTheExtractor(const std::string& path, const std::string* key, ArchiveStartRule rule,
                            const archive::TArchiveHeader& raw) {
    Opened o;
    try {
        TerminalPrompts prompts; // a segment that is not beside the first one is asked for
        extract::TExtractor x;
        const auto generator = PointAt(x, path, key, rule);
        x.Open();
        o.header = x.Header();
        const bool segmented = raw.Segment != 1 || (raw.Flags & archive::kHeaderFinalSegment) == 0;
        o.kind = x.IsSolid() ? "solid" : segmented ? "segmented" : "single";
        x.Close();
    } catch (const archive::EAbort&) {
        o.error = "cancelled";
    } catch (const std::exception& e) {
        o.error = e.what();
    }
    return o;
}

std::string KindText(const Opened& o) {
    if (o.kind == "solid") return "solid archive: the header of the archive inside it";
    if (o.kind == "segmented")
        return "segmented archive: the header of segment " + std::to_string(o.header.Segment);
    return "single archive";
}

void PrintJson(const std::vector<Field>& raw, const Opened& o) {
    std::cout << "{\n";
    for (const Field& f : raw)
        std::cout << "  \"" << f.key << "\": " << f.json << ",\n";
    std::cout << "  \"opened\": {\n";
    if (o.error) {
        std::cout << "    \"error\": " << JsonString(Utf8(*o.error)) << "\n";
    } else {
        std::cout << "    \"kind\": \"" << o.kind << "\"";
        for (const Field& f : HeaderFields(o.header))
            std::cout << ",\n    \"" << f.key << "\": " << f.json;
        std::cout << '\n';
    }
    std::cout << "  }\n}\n";
}

void PrintText(const std::vector<Field>& raw, const Opened& o) {
    auto line = [](const std::string& indent, const std::string& label, const std::string& text) {
        char padded[32];
        std::snprintf(padded, sizeof padded, "%-17s", label.c_str());
        std::cout << indent << padded << text << '\n';
    };
    for (const Field& f : raw)
        if (!f.label.empty()) line("", f.label, f.text);
    if (o.error) {
        line("", "opened as:", "not opened: " + platform::DisplayText(*o.error));
        return;
    }
    line("", "opened as:", KindText(o));
    for (const Field& f : HeaderFields(o.header))
        line("  ", f.label, f.text);
}

} // namespace

int RunInfo(const std::vector<std::string>& args) {
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
            // Only a solid archive whose wrapper is encrypted needs it to be opened.
            if (i + 1 >= args.size()) throw UsageError("--key needs a value");
            key = args[++i];
        } else if (path.empty() && a.rfind("--", 0) != 0) {
            path = a;
        } else {
            throw UsageError("unexpected argument \"" + a + "\"");
        }
    }
    if (path.empty()) throw UsageError("no archive file given");
    OpenedArchive a = OpenArchive(path, rule);
    std::vector<Field> raw = HeaderFields(a.header);
    raw.insert(raw.begin(),
               {Plain("archiveStart", "archive start:", std::to_string(a.start)),
                {"headerSize", std::to_string(archive::HeaderSize(a.header)), "", ""}});
    a.file.reset(); // the extractor opens the file denying writers
    const Opened opened = OpenWithTheExtractor(path, key ? &*key : nullptr, rule, a.header);
    if (json)
        PrintJson(raw, opened);
    else
        PrintText(raw, opened);
    if (!opened.error) return 0;
    std::cerr << platform::DisplayText(*opened.error) << '\n';
    return 1;
}

} // namespace vexo::tool
