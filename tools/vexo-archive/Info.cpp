// Info.cpp - "info": the header and the package values of an archive or package.
#include "Tool.h"

#include "archive/PackageValues.h"
#include "archive/Real48.h"

#include <cstdio>
#include <iostream>

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

} // namespace

int RunInfo(const std::vector<std::string>& args) {
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
    const archive::TArchiveHeader& h = a.header;
    archive::PackageValues p = archive::ReadPackageValues(h);
    double version = archive::Real48ToDouble(p.PackageVersion.data());
    char flags[8];
    std::snprintf(flags, sizeof flags, "0x%02X", h.Flags);
    if (json) {
        std::cout << "{\n"
                  << "  \"archiveStart\": " << a.start << ",\n"
                  << "  \"headerSize\": " << archive::HeaderSize(h) << ",\n"
                  << "  \"signature\": " << h.Signature << ",\n"
                  << "  \"version\": " << h.Version << ",\n"
                  << "  \"archiveId\": " << h.ArchiveID << ",\n"
                  << "  \"blockSize\": " << h.BlockSize << ",\n"
                  << "  \"endOffset\": " << h.EndOffset << ",\n"
                  << "  \"segment\": " << h.Segment << ",\n"
                  << "  \"flags\": " << static_cast<int>(h.Flags) << ",\n"
                  << "  \"archiveInfo\": " << Totals(h.ArchiveInfo, true) << ",\n"
                  << "  \"segmentInfo\": " << Totals(h.SegmentInfo, true) << ",\n"
                  << "  \"comment\": " << JsonString(Utf8(h.Comment)) << ",\n"
                  << "  \"packageVersion\": " << Number(version) << ",\n"
                  << "  \"packageCode\": " << p.PackageCode << ",\n"
                  << "  \"packageDate\": \"" << DateText(p.PackageDate) << "\",\n"
                  << "  \"productCode\": " << JsonString(Utf8(p.ProductCode)) << "\n"
                  << "}\n";
        return 0;
    }
    std::cout << "archive start:   " << a.start << '\n'
              << "signature:       " << h.Signature << '\n'
              << "version:         " << h.Version << '\n'
              << "archive id:      " << h.ArchiveID << '\n'
              << "block size:      " << h.BlockSize << '\n'
              << "end offset:      " << h.EndOffset << '\n'
              << "segment:         " << h.Segment << '\n'
              << "flags:           " << flags << '\n'
              << "archive totals:  " << Totals(h.ArchiveInfo, false) << '\n'
              << "segment totals:  " << Totals(h.SegmentInfo, false) << '\n'
              << "comment:         " << Utf8(h.Comment) << '\n'
              << "package version: " << Number(version) << '\n'
              << "package code:    " << p.PackageCode << '\n'
              << "package date:    " << DateText(p.PackageDate) << '\n'
              << "product code:    " << Utf8(p.ProductCode) << '\n';
    return 0;
}

} // namespace vexo::tool
