// EncodingTest.cpp - Windows-1252 <-> UTF-8 conversion.
#include "platform/Encoding.h"

#include <gtest/gtest.h>

using namespace vexo::platform;

TEST(Encoding, RoundTripsEveryDefinedByte) {
    for (int b = 1; b < 256; ++b) {
        if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) continue;
        std::string one(1, static_cast<char>(b));
        EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(one)), one) << "byte " << b;
    }
}

TEST(Encoding, KnownTexts) {
    struct Case {
        const char* utf8;
        const char* cp1252;
    } cases[] = {
        {"Instalación", "Instalaci\xF3n"},
        {"¿ Desea continuar ?", "\xBF Desea continuar ?"},
        {"Nº", "N\xBA"},
        {"€", "\x80"},
        {"plain", "plain"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToCp1252(c.utf8), c.cp1252);
        EXPECT_EQ(Cp1252ToUtf8(c.cp1252), c.utf8);
    }
}

TEST(Encoding, UnmappableAndInvalidInput) {
    EXPECT_EQ(Utf8ToCp1252("\xE4\xB8\xAD"), "?");    // a CJK character
    EXPECT_EQ(Utf8ToCp1252("caf\xE9"), "caf\xE9");   // already 8-bit text
    EXPECT_EQ(Cp1252ToUtf8("\x81"), "\xEF\xBF\xBD"); // undefined byte
    EXPECT_EQ(Utf8ToCp1252("\xC0\xAF"), "\xC0\xAF"); // overlong form is not UTF-8
}

TEST(Encoding, AsciiCaseRules) {
    EXPECT_EQ(UpperAscii("zpx16 (2).exe\xE9"), "ZPX16 (2).EXE\xE9");
    EXPECT_TRUE(EqualsIgnoreCaseAscii("DalvoVexo.lnk", "DALVOVEXO.LNK"));
    EXPECT_FALSE(EqualsIgnoreCaseAscii("\xE9", "\xC9")); // only ASCII letters fold
}

TEST(Encoding, FileNamesFoldAccentedLettersAsWindowsDoes) {
    struct Row {
        const char* name;
        const char* folded;
    };
    const Row rows[] = {
        {"zpx16.exe", "ZPX16.EXE"},
        {"\xE1rbol \xF1"
         "and\xFA",
         "\xC1RBOL \xD1"
         "AND\xDA"},                              // "árbol ñandú"
        {"\xE0\xFE\xF7\xF8", "\xC0\xDE\xF7\xD8"}, // "÷" is no letter
        {"\x9A\x9C\x9E\xFF", "\x8A\x8C\x8E\x9F"}, // "šœžÿ"
        {"\xDF\xB5\xAA\xBA", "\xDF\xB5\xAA\xBA"}, // "ßµªº" stay
        {"\xC1\xD1\x8A\x9F", "\xC1\xD1\x8A\x9F"}, // capitals stay
    };
    for (const Row& r : rows)
        EXPECT_EQ(FoldFileNameCase(r.name), r.folded) << r.name;
}
