// ArtworkTest.cpp - the pictures decoded by the system's imaging component.
#include "ui/win32/Artwork.h"
#include "common/ProcessHelpers.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace vexo::ui::win32 {
namespace {

std::string DataFile(const char* name) {
    return vexo::test::Slurp(std::string(VEXO_DATA_DIR) + "/" + name);
}

TEST(ArtworkTest, BackgroundDecodesToItsSizeWithAPicture) {
    const std::string jpeg = DataFile("background.jpg");
    ASSERT_FALSE(jpeg.empty());
    Picture p = DecodePicture(jpeg.data(), jpeg.size());
    ASSERT_TRUE(p);
    EXPECT_EQ(p.Width(), 554);
    EXPECT_EQ(p.Height(), 401);
    // Opaque everywhere, and not one flat colour.
    std::set<std::uint32_t> colours;
    for (int y = 0; y < p.Height(); y += 40)
        for (int x = 0; x < p.Width(); x += 50) {
            EXPECT_EQ(p.Pixel(x, y) >> 24, 0xFFu) << x << "," << y;
            colours.insert(p.Pixel(x, y));
        }
    EXPECT_GT(colours.size(), 4u);
    EXPECT_EQ(p.Pixel(554, 0), 0u);
    EXPECT_EQ(p.Pixel(-1, 0), 0u);
}

TEST(ArtworkTest, GlyphKeepsItsTransparency) {
    const std::string png = DataFile("browse-glyph.png");
    Picture p = DecodePicture(png.data(), png.size());
    ASSERT_TRUE(p);
    EXPECT_EQ(p.Width(), 16);
    EXPECT_EQ(p.Height(), 16);
    int transparent = 0, opaque = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const std::uint32_t alpha = p.Pixel(x, y) >> 24;
            transparent += alpha == 0;
            opaque += alpha == 0xFF;
            // Premultiplied: no channel above its alpha.
            for (int shift : {0, 8, 16})
                EXPECT_LE((p.Pixel(x, y) >> shift) & 0xFF, alpha);
        }
    EXPECT_GT(transparent, 0);
    EXPECT_GT(opaque, 0);
}

TEST(ArtworkTest, DamagedOrForeignBytesGiveNoPicture) {
    std::string jpeg = DataFile("background.jpg");
    ASSERT_GT(jpeg.size(), 64u);
    const std::string notAPicture = "MZ this is no picture at all";
    EXPECT_FALSE(DecodePicture(notAPicture.data(), notAPicture.size()));
    EXPECT_FALSE(DecodePicture(jpeg.data(), 0));
    EXPECT_FALSE(DecodePicture(nullptr, 10));
    std::string headless = jpeg;
    headless[0] = 'X'; // no start-of-image marker
    EXPECT_FALSE(DecodePicture(headless.data(), headless.size()));
}

TEST(ArtworkTest, ATestProgramCarriesNoArtwork) {
    // The pictures are the installer program's resources, not every program's.
    std::size_t size = 1;
    EXPECT_EQ(ProgramResource(101, size), nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(BrowseGlyphIcon(), nullptr);
}

} // namespace
} // namespace vexo::ui::win32
