// SignedLocatorTest.cpp - the locator of a signed program, found before its certificate table,
// on PE images built byte by byte, sound and damaged.
#include "archive/Format.h"
#include "platform/Stream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

using namespace vexo;

namespace {

constexpr std::uint32_t kPeOffset = 0x80;
constexpr std::uint32_t kOptionalHeader = kPeOffset + 24;
constexpr std::uint32_t kOptionalSize = 240; // PE32+, 16 directory entries
constexpr std::uint32_t kSectionTable = kOptionalHeader + kOptionalSize;
constexpr std::uint32_t kSecurityEntry = kOptionalHeader + 112 + 4 * 8;
constexpr std::uint32_t kHeadersSize = 0x200;
constexpr std::uint32_t kSectionSize = 0x400;
constexpr std::int32_t kArchiveStart = kHeadersSize + kSectionSize + 100; // after a tag block

void Put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void Append32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    b.resize(b.size() + 4);
    Put32(b, b.size() - 4, v);
}

// A PE32+ program of one section, then a tag block, an archive stand-in and the locator.
std::vector<std::uint8_t> Installer() {
    std::vector<std::uint8_t> b(kHeadersSize + kSectionSize, 0);
    b[0] = 'M';
    b[1] = 'Z';
    Put32(b, 0x3C, kPeOffset);
    Put32(b, kPeOffset, 0x00004550);
    Put16(b, kPeOffset + 4, 0x8664);
    Put16(b, kPeOffset + 6, 1); // sections
    Put16(b, kPeOffset + 20, kOptionalSize);
    Put16(b, kOptionalHeader, 0x20B);
    Put32(b, kOptionalHeader + 60, kHeadersSize);
    Put32(b, kOptionalHeader + 108, 16); // directory entries
    Put32(b, kSectionTable + 8, kSectionSize);
    Put32(b, kSectionTable + 12, 0x1000);
    Put32(b, kSectionTable + 16, kSectionSize);
    Put32(b, kSectionTable + 20, kHeadersSize);
    b.resize(kArchiveStart, 0x54);
    b.resize(b.size() + 333, 0xA5); // the archive
    Append32(b, archive::kLocatorMagic);
    Append32(b, kArchiveStart);
    return b;
}

// Signs `b` as a signing tool does: zero padding up to 8 bytes, then one certificate record
// of `recordLength` bytes (its head and DER bytes), the security entry pointing at it.
void Sign(std::vector<std::uint8_t>& b, std::size_t padding = 0, std::uint32_t recordLength = 40) {
    b.resize(b.size() + padding, 0);
    const auto table = static_cast<std::uint32_t>(b.size());
    Append32(b, recordLength);
    b.push_back(0x00); // revision 2.0
    b.push_back(0x02);
    b.push_back(0x02); // PKCS#7 signed data
    b.push_back(0x00);
    b.resize(table + ((recordLength + 7) & ~7u), 0x30);
    Put32(b, kSecurityEntry, table);
    Put32(b, kSecurityEntry + 4, static_cast<std::uint32_t>(b.size()) - table);
}

std::uint32_t Get32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

std::int32_t Find(std::vector<std::uint8_t> bytes) {
    platform::MemoryStream s(std::move(bytes));
    return archive::FindArchiveStart(s);
}

struct Case {
    const char* name;
    std::function<void(std::vector<std::uint8_t>&)> make;
    std::int32_t expected;
};

} // namespace

TEST(SignedLocator, FoundBeforeTheCertificateTable) {
    const Case cases[] = {
        {"unsigned", [](auto&) {}, kArchiveStart},
        {"signed, no padding", [](auto& b) { Sign(b, 0); }, kArchiveStart},
        {"signed, 1 byte of padding", [](auto& b) { Sign(b, 1); }, kArchiveStart},
        {"signed, 6 bytes of padding", [](auto& b) { Sign(b, 6); }, kArchiveStart},
        {"signed, 7 bytes of padding", [](auto& b) { Sign(b, 7); }, kArchiveStart},
        {"a revision 1 record",
         [](auto& b) {
             Sign(b, 4);
             b[Get32(b, kSecurityEntry) + 5] = 0x01;
         },
         kArchiveStart},
        {"a PE32 image",
         [](auto& b) {
             // The 32-bit optional header puts the directory 16 bytes earlier.
             Put16(b, kOptionalHeader, 0x10B);
             Put32(b, kOptionalHeader + 92, 16);
             Sign(b, 2);
             Put32(b, kSecurityEntry - 16, Get32(b, kSecurityEntry));
             Put32(b, kSecurityEntry - 12, Get32(b, kSecurityEntry + 4));
             Put32(b, kSecurityEntry, 0);
             Put32(b, kSecurityEntry + 4, 0);
         },
         kArchiveStart},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> b = Installer();
        c.make(b);
        EXPECT_EQ(Find(b), c.expected) << c.name;
    }
}

// Damaged or hostile numbers: no locator, and never a read outside the file.
TEST(SignedLocator, DamagedImagesHaveNone) {
    const Case cases[] = {
        {"8 bytes of padding", [](auto& b) { Sign(b, 8); }, 0},
        {"padding that is not zero",
         [](auto& b) {
             Sign(b, 3);
             b[Get32(b, kSecurityEntry) - 2] = 0x01;
         },
         0},
        {"no security entry",
         [](auto& b) {
             Sign(b, 1);
             Put32(b, kSecurityEntry, 0);
             Put32(b, kSecurityEntry + 4, 0);
         },
         0},
        {"table past the end of the file",
         [](auto& b) {
             Sign(b, 1);
             Put32(b, kSecurityEntry + 4, Get32(b, kSecurityEntry + 4) + 8);
         },
         0},
        {"offset and size that wrap past 4 GiB",
         [](auto& b) {
             Sign(b, 1);
             Put32(b, kSecurityEntry, 0xFFFFFFF8u);
             Put32(b, kSecurityEntry + 4, 0x10);
         },
         0},
        {"size near 4 GiB",
         [](auto& b) {
             Sign(b, 1);
             Put32(b, kSecurityEntry + 4, 0xFFFFFFF0u);
         },
         0},
        {"table inside the headers",
         [](auto& b) {
             Sign(b, 1);
             Put32(b, kSecurityEntry, 0x40);
             Put32(b, kSecurityEntry + 4, 0x40);
         },
         0},
        {"table inside the section",
         [](auto& b) {
             Sign(b, 1);
             Put32(b, kSecurityEntry, kHeadersSize + 8);
             Put32(b, kSecurityEntry + 4, 0x40);
         },
         0},
        {"table shorter than a record head",
         [](auto& b) {
             Sign(b, 1);
             Put32(b, kSecurityEntry + 4, 4);
         },
         0},
        {"record longer than the table",
         [](auto& b) {
             Sign(b, 1);
             Put32(b, Get32(b, kSecurityEntry), Get32(b, kSecurityEntry + 4) + 1);
         },
         0},
        {"record of a wrong revision",
         [](auto& b) {
             Sign(b, 1);
             b[Get32(b, kSecurityEntry) + 5] = 0x07;
         },
         0},
        {"directory too short for entry 4",
         [](auto& b) {
             Sign(b, 1);
             Put32(b, kOptionalHeader + 108, 4);
         },
         0},
        {"optional header too short for entry 4",
         [](auto& b) {
             Sign(b, 1);
             Put16(b, kPeOffset + 20, 112 + 4 * 8);
         },
         0},
        {"PE offset beyond the file",
         [](auto& b) {
             Sign(b, 1);
             Put32(b, 0x3C, 0xFFFFFFF0u);
         },
         0},
        {"section table cut by the end of the headers read",
         [](auto& b) {
             Sign(b, 1);
             Put16(b, kPeOffset + 6, 0xFFFF);
         },
         0},
        {"no MZ",
         [](auto& b) {
             Sign(b, 1);
             b[0] = 'X';
         },
         0},
        {"certificate right after the headers, no room for a locator",
         [](auto& b) {
             b.resize(kHeadersSize + kSectionSize);
             Sign(b, 0);
         },
         0},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> b = Installer();
        c.make(b);
        EXPECT_EQ(Find(b), c.expected) << c.name;
    }
}

TEST(SignedLocator, TinyFilesHaveNone) {
    for (int size : {0, 1, 7, 8, 15, 64}) {
        std::vector<std::uint8_t> b = Installer();
        b.resize(static_cast<std::size_t>(size));
        EXPECT_EQ(Find(b), 0) << size;
    }
}
