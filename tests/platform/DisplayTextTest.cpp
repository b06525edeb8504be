// DisplayTextTest.cpp - names printed with their control characters shown, never sent.
#include "platform/DisplayText.h"

#include <gtest/gtest.h>

#include <string>

namespace vexo::platform {
namespace {

struct Shown {
    const char* name;
    std::string in;
    std::string out;
};

void PrintTo(const Shown& c, std::ostream* os) {
    *os << c.name;
}

class DisplayTextTest : public ::testing::TestWithParam<Shown> {};

TEST_P(DisplayTextTest, Windows1252) {
    EXPECT_EQ(DisplayText(GetParam().in), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Names, DisplayTextTest,
    ::testing::Values(
        Shown{"Plain", "Datos\\EMP.DAT", "Datos\\EMP.DAT"},
        // A backslash stays a separator, even before what looks like an escape.
        Shown{"BackslashBeforeHex", "Bin\\x64\\x1b", "Bin\\x64\\x1b"},
        Shown{"ColourSequence", "A\x1b[31mROJO\x1b[0m.TXT", "A<1B>[31mROJO<1B>[0m.TXT"},
        Shown{"TitleSequence", "\x1b]0;pwned\x07", "<1B>]0;pwned<07>"},
        Shown{"CarriageReturnAndLineFeed", "OK\rMAL\nX", "OK<0D>MAL<0A>X"},
        Shown{"Nul", std::string("A\0B", 3), "A<00>B"}, Shown{"Del", "A\x7f", "A<7F>"},
        // The five unassigned bytes; the assigned ones of 0x80-0x9F are letters and signs.
        Shown{"UnassignedC1", "\x81\x8d\x8f\x90\x9d", "<81><8D><8F><90><9D>"},
        Shown{"AssignedHigh", "\x80\x9a\xf3", "\xe2\x82\xac\xc5\xa1\xc3\xb3"},
        // "<" always starts an escape, so a name cannot pass itself off as one.
        Shown{"AngleBracket", "A<1B>", "A<3C>1B>"}),
    [](const ::testing::TestParamInfo<Shown>& row) { return row.param.name; });

class DisplayUtf8Test : public ::testing::TestWithParam<Shown> {};

TEST_P(DisplayUtf8Test, Utf8) {
    EXPECT_EQ(DisplayUtf8(GetParam().in), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DisplayUtf8Test,
    ::testing::Values(Shown{"Accents", "Instalaci\xc3\xb3n \xe2\x82\xac",
                            "Instalaci\xc3\xb3n \xe2\x82\xac"},
                      Shown{"Controls", "\x1b[2J\r\x07\x7f", "<1B>[2J<0D><07><7F>"},
                      // U+0085 and U+009B (the one-byte CSI) by code point.
                      Shown{"C1CodePoints",
                            "a\xc2\x85"
                            "b\xc2\x9b"
                            "c",
                            "a<85>b<9B>c"},
                      Shown{"LastC1AndFirstAfter", "\xc2\x9f\xc2\xa0", "<9F>\xc2\xa0"},
                      Shown{"NotUtf8", "\x9b\xff", "<9B><FF>"},
                      Shown{"CutSequence", "a\xe2\x82", "a<E2><82>"},
                      Shown{"AngleBracket", "<", "<3C>"}),
    [](const ::testing::TestParamInfo<Shown>& row) { return row.param.name; });

TEST(DisplayMessage, KeepsTheMessagesLineBreaksOnly) {
    EXPECT_EQ(DisplayMessage("CRC incorrecto\r\n\r\nA\x1b.TXT"), "CRC incorrecto\n\nA<1B>.TXT");
    EXPECT_EQ(DisplayMessage("uno\r\ndos", "\n  "), "uno\n  dos");
    // A lone CR or LF is a name's, not a line break.
    EXPECT_EQ(DisplayMessage("A\rB\nC"), "A<0D>B<0A>C");
    EXPECT_EQ(DisplayMessage(""), "");
}

} // namespace
} // namespace vexo::platform
