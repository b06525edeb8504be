// checksums.cpp - every block of an archive through the three forms of the block checksum:
// the literal loop, the word-table loop and the batch form over each file's blocks together.
// All three must agree with each other and with the stored checksum. Usage: checksums ARCHIVE
#include "archive/ArchiveReader.h"
#include "archive/Checksum.h"
#include "archive/Format.h"
#include "archive/Messages.h"
#include "platform/HostFiles.h"

#include <cstring>
#include <iostream>
#include <vector>

int main(int argc, char** argv) {
    using namespace vexo::archive;
    if (argc != 2) {
        std::cerr << "usage: checksums ARCHIVE\n";
        return 2;
    }
    try {
        auto file = vexo::platform::OpenHostFile(argv[1], vexo::platform::HostFileMode::Read);
        vexo::platform::Stream& in = *file;
        std::string name = argv[1];
        bool exe = name.ends_with(".EXE") || name.ends_with(".exe");
        std::int64_t start = exe ? FindArchiveStart(in) : 0;
        TMessages messages;
        auto header = ReadCheckedHeader(in, start, name, messages);
        auto entries = ReadSegmentEntries(in, start, header);
        std::size_t blocks = 0, bytes = 0, bad = 0;
        for (const auto& e : entries) {
            if (e.FileSize == 0 || (e.Flags & kEntryFolder)) continue;
            in.SetPosition(start + e.Offset + EntrySize(e));
            std::vector<std::uint8_t> piece(static_cast<std::size_t>(e.PieceStoredSize));
            in.ReadBuffer(piece.data(), piece.size());
            std::vector<ChecksumArea> areas;
            std::vector<std::uint32_t> stored;
            for (std::size_t at = 0; at + 8 <= piece.size();) {
                std::int32_t len;
                std::uint32_t sum;
                std::memcpy(&len, &piece[at], 4);
                std::memcpy(&sum, &piece[at + 4], 4);
                std::size_t n = static_cast<std::size_t>(len < 0 ? -std::int64_t{len} : len);
                if (at + 8 + n > piece.size()) throw std::runtime_error("block past its piece");
                areas.push_back({&piece[at + 8], n, 0xFFFFFFFFu});
                stored.push_back(sum);
                at += 8 + n;
            }
            std::vector<std::uint32_t> single;
            for (const auto& a : areas) {
                std::uint32_t ref = ArchiveChecksumReference(0xFFFFFFFFu, a.data, a.len);
                single.push_back(ArchiveChecksum(0xFFFFFFFFu, a.data, a.len));
                if (single.back() != ref) ++bad;
                bytes += a.len;
            }
            ArchiveChecksumMany(areas);
            for (std::size_t k = 0; k < areas.size(); ++k) {
                if (areas[k].value != single[k] || ~areas[k].value != stored[k]) ++bad;
                ++blocks;
            }
        }
        std::cout << blocks << " blocks, " << bytes << " payload bytes, " << bad
                  << " disagreements\n";
        return bad == 0 ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << "checksums: " << e.what() << '\n';
        return 1;
    }
}
