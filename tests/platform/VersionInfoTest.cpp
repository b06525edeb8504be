// VersionInfoTest.cpp - version resources of PE files made by a real toolchain.
#include "platform/Error.h"
#include "platform/ScopedTestPrefix.h"
#include "platform/Shell.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

using namespace vexo::platform;
namespace fs = std::filesystem;

namespace {
std::vector<std::uint8_t> Fixture(const char* name) {
    std::ifstream in(std::string(VEXO_TEST_DATA_DIR "/pe/") + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
} // namespace

TEST(VersionInfo, ProgramFixture) {
    auto bytes = Fixture("dalvo.exe");
    ASSERT_FALSE(bytes.empty());
    auto info = ParseVersionInfo(bytes.data(), bytes.size());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->fileVersionMS, (10u << 16) | 5u);
    EXPECT_EQ(info->fileVersionLS, 0u);
    EXPECT_EQ(info->productVersionMS, (10u << 16) | 5u);
    EXPECT_EQ(info->productVersionLS, 7u);
    ASSERT_EQ(info->translations.size(), 1u);
    EXPECT_EQ(info->translations[0], std::make_pair(std::uint16_t{0x0C0A}, std::uint16_t{1252}));
    const auto& table = info->strings.at("0C0A04E4");
    EXPECT_EQ(table.at("CompanyName"), "Vexo Inform\xE1tica");
    EXPECT_EQ(table.at("FileVersion"), "10.5.0.0");
    EXPECT_EQ(table.at("OriginalFileName"), "DALVO.EXE");
    EXPECT_EQ(table.count("SFXCodeSize"), 0u);
}

TEST(VersionInfo, LibraryFixtureThroughThePrefix) {
    ScopedTestPrefix prefix;
    fs::create_directories(prefix.Host("drive_c/VEXO/DALVO/Programa"));
    fs::copy_file(VEXO_TEST_DATA_DIR "/pe/module.dll",
                  prefix.Host("drive_c/VEXO/DALVO/Programa/IMPUEBIZ.BPL"));
    auto info = ReadVersionInfo("C:\\VEXO\\DALVO\\PROGRAMA\\impuebiz.bpl");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->fileVersionMS >> 16, 10u);
    EXPECT_EQ(info->fileVersionMS & 0xFFFF, 50u);
    ASSERT_EQ(info->translations.size(), 2u);
    EXPECT_EQ(info->translations[1], std::make_pair(std::uint16_t{0x0C0A}, std::uint16_t{1252}));
    const auto& table = info->strings.at("040904B0");
    EXPECT_EQ(table.at("SFXCodeSize"), "123456");
    EXPECT_EQ(table.at("Comment"), "");
}

TEST(VersionInfo, ClearErrorsWithoutVersionInformation) {
    ScopedTestPrefix prefix;
    fs::copy_file(VEXO_TEST_DATA_DIR "/pe/noversion.dll", prefix.Host("drive_c/nover.dll"));
    std::ofstream(prefix.Host("drive_c/text.exe")) << "MZ but nothing else";
    struct Case {
        const char* path;
        int code;
    } cases[] = {
        {"C:\\nover.dll", kErrorResourceTypeNotFound},
        {"C:\\text.exe", kErrorBadExeFormat},
        {"C:\\missing.exe", kErrorFileNotFound},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(ReadVersionInfo(c.path)) << c.path;
        EXPECT_EQ(LastError(), c.code) << c.path;
        EXPECT_FALSE(SystemErrorMessage(LastError()).empty());
    }
}

TEST(VersionInfo, DamagedFilesFailWithoutReadingOutside) {
    for (const char* name : {"dalvo.exe", "module.dll"}) {
        const auto good = Fixture(name);
        ASSERT_TRUE(ParseVersionInfo(good.data(), good.size())) << name;
        // Truncations: each copy is exactly as large as it claims, so ASan sees any overrun.
        for (std::size_t n = 0; n < good.size(); n += (n < 1024 ? 7 : 61)) {
            std::vector<std::uint8_t> cut(good.begin(),
                                          good.begin() + static_cast<std::ptrdiff_t>(n));
            (void)ParseVersionInfo(cut.data(), cut.size());
        }
        EXPECT_FALSE(ParseVersionInfo(good.data(), 0x40));
        EXPECT_EQ(LastError(), kErrorBadExeFormat);
    }
    // Corrupt every byte of the small library's headers and resources.
    const auto good = Fixture("module.dll");
    int parsed = 0;
    for (std::size_t i = 0; i < good.size(); ++i) {
        for (std::uint8_t v : {0x00, 0x80, 0xFF}) {
            auto bad = good;
            bad[i] = v;
            parsed += ParseVersionInfo(bad.data(), bad.size()).has_value();
        }
    }
    EXPECT_GT(parsed, 0); // padding bytes do not matter
    EXPECT_FALSE(ParseVersionInfo(nullptr, 0));
}
