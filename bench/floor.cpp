// floor.cpp - the yardstick: an archive extracted with nothing but the obvious tools, zlib's
// uncompress, the checksum one byte per step and stdio writes. No events, prompts or policy.
// Usage: floor ARCHIVE DIR
#include "archive/ArchiveReader.h"
#include "archive/Format.h"
#include "archive/Messages.h"
#include "platform/HostFiles.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <vector>
#include <zlib.h>

namespace {

// The checksum's 256 reachable words: the word at byte offset i of the CRC-32 table image.
std::array<std::uint32_t, 256> Words() {
    std::array<std::uint8_t, 1028> image{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        std::memcpy(&image[n * 4], &c, 4);
    }
    std::array<std::uint32_t, 256> words{};
    for (int i = 0; i < 256; ++i)
        std::memcpy(&words[i], &image[i], 4);
    return words;
}

std::uint32_t Stored(const std::array<std::uint32_t, 256>& w, const std::uint8_t* p,
                     std::size_t n) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t k = 0; k < n; ++k)
        c = (c >> 8) ^ w[(c ^ p[k]) & 0xFF];
    return ~c;
}

std::int32_t Int32(const std::uint8_t* p) {
    std::int32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: floor ARCHIVE DIR\n";
        return 2;
    }
    try {
        auto file = vexo::platform::OpenHostFile(argv[1], vexo::platform::HostFileMode::Read);
        vexo::platform::Stream& in = *file;
        std::string name = argv[1];
        bool exe = name.size() > 4 && (name.ends_with(".EXE") || name.ends_with(".exe"));
        std::int64_t start = exe ? vexo::archive::FindArchiveStart(in) : 0;
        vexo::archive::TMessages messages;
        auto header = vexo::archive::ReadCheckedHeader(in, start, name, messages);
        auto entries = vexo::archive::ReadSegmentEntries(in, start, header);
        const auto words = Words();
        const std::size_t b = static_cast<std::size_t>(header.BlockSize);
        std::vector<std::uint8_t> src(b + b / 100 + 64), dest(b);
        const std::filesystem::path root = argv[2];
        for (const auto& e : entries) {
            std::string rel = e.Name;
            for (char& ch : rel)
                if (ch == '\\') ch = '/';
            std::filesystem::path path = root / rel;
            if (e.Flags & vexo::archive::kEntryFolder) {
                std::filesystem::create_directories(path);
                continue;
            }
            std::filesystem::create_directories(path.parent_path());
            std::FILE* out = std::fopen(path.c_str(), "wb");
            if (out == nullptr) throw std::runtime_error("cannot create " + path.string());
            in.SetPosition(start + e.Offset + vexo::archive::EntrySize(e));
            std::int64_t left = e.FileSize == 0 ? 0 : e.PieceStoredSize;
            while (left > 0) {
                std::uint8_t head[8];
                if (in.Read(head, 8) != 8) throw std::runtime_error("short");
                std::int32_t len = Int32(head);
                std::size_t n = static_cast<std::size_t>(len < 0 ? -std::int64_t{len} : len);
                if (n > src.size() || in.Read(src.data(), n) != n)
                    throw std::runtime_error("bad block");
                if (Stored(words, src.data(), n) != static_cast<std::uint32_t>(Int32(head + 4)))
                    throw std::runtime_error("checksum mismatch in " + e.Name);
                const std::uint8_t* data = src.data();
                uLongf m = n;
                if (len >= 0) {
                    m = b;
                    if (uncompress(dest.data(), &m, src.data(), n) != Z_OK)
                        throw std::runtime_error("bad zlib block in " + e.Name);
                    data = dest.data();
                }
                std::fwrite(data, 1, m, out);
                left -= static_cast<std::int64_t>(n) + 8;
            }
            if (std::fclose(out) != 0) throw std::runtime_error("write failed");
        }
    } catch (const std::exception& e) {
        std::cerr << "floor: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
