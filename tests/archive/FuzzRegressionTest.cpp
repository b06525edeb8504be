// FuzzRegressionTest.cpp - inputs the fuzz targets found, kept as tests.
#include "archive/DateTime.h"
#include "archive/Extended.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vexo::archive {
namespace {

std::vector<std::uint8_t> FromHex(const std::string& hex) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

// Target "extract": an entry whose 10-byte date is not a number reached the conversion to a
// file date, which turned NaN into an integer (undefined; UBSan stopped there). Any date a file
// can hold must convert to a real civil date, and to no DOS date when outside 1980..2107.
struct DamagedDate {
    const char* what;
    const char* extendedHex; // the entry's date field as stored
};

class DamagedDates : public ::testing::TestWithParam<DamagedDate> {};

TEST_P(DamagedDates, ConvertToAValidCivilDateAndNoDosDate) {
    const auto bytes = FromHex(GetParam().extendedHex);
    ASSERT_EQ(bytes.size(), 10u);
    const TDateTime date = ExtendedToDouble(bytes.data());
    const CivilDateTime civil = DateTimeToCivil(date);
    EXPECT_TRUE(IsValidCivil(civil)) << civil.year << "-" << civil.month << "-" << civil.day;
    EXPECT_EQ(DateTimeToDosDateTime(date), 0);
}

INSTANTIATE_TEST_SUITE_P(FuzzExtract, DamagedDates,
                         ::testing::Values(DamagedDate{"quiet NaN", "000000000000C0FFFF7F"},
                                           DamagedDate{"negative NaN", "010000000000C0FFFFFF"},
                                           DamagedDate{"plus infinity", "0000000000000080FF7F"},
                                           DamagedDate{"minus infinity", "0000000000000080FFFF"},
                                           DamagedDate{"1e300 days", "00E0AC0340E421BFE343"},
                                           DamagedDate{"-1e300 days", "00E0AC0340E421BFE3C3"},
                                           DamagedDate{"beyond the double range",
                                                       "0000000000000080FE7F"}));

TEST(DamagedDates, TheEdgesOfTheCalendarStayThemselves) {
    EXPECT_EQ(DateTimeToCivil(-693593.0), (CivilDateTime{1, 1, 1, 0, 0, 0, 0}));
    EXPECT_EQ(DateTimeToCivil(2958465.5), (CivilDateTime{9999, 12, 31, 12, 0, 0, 0}));
    EXPECT_EQ(DateTimeToCivil(-693594.0), (CivilDateTime{1, 1, 1, 0, 0, 0, 0}));
}

} // namespace
} // namespace vexo::archive
