// ConversionsTest.cpp - 6-byte real, 80-bit extended and date-time conversions.
#include "archive/DateTime.h"
#include "archive/Exceptions.h"
#include "archive/Extended.h"
#include "archive/Real48.h"

#include <array>
#include <cmath>
#include <gtest/gtest.h>

namespace vexo::archive {
namespace {

TEST(Real48, OneIsExponent129) {
    const std::uint8_t one[6] = {0x81, 0, 0, 0, 0, 0};
    EXPECT_EQ(Real48ToDouble(one), 1.0);
    EXPECT_EQ(DoubleToReal48(1.0), (std::array<std::uint8_t, 6>{0x81, 0, 0, 0, 0, 0}));
}

TEST(Real48, ZeroExponentIsZeroWhateverTheFraction) {
    const std::uint8_t z[6] = {0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(Real48ToDouble(z), 0.0);
    EXPECT_EQ(DoubleToReal48(0.0), (std::array<std::uint8_t, 6>{}));
}

struct RealCase {
    std::array<std::uint8_t, 6> bytes;
    double value;
};

class Real48Values : public ::testing::TestWithParam<RealCase> {};

TEST_P(Real48Values, BothDirections) {
    const auto& c = GetParam();
    EXPECT_EQ(Real48ToDouble(c.bytes.data()), c.value);
    EXPECT_EQ(DoubleToReal48(c.value), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(Exact, Real48Values,
                         ::testing::Values(RealCase{{0x82, 0, 0, 0, 0, 0}, 2.0},
                                           RealCase{{0x81, 0, 0, 0, 0, 0x80}, -1.0},
                                           RealCase{{0x80, 0, 0, 0, 0, 0}, 0.5},
                                           RealCase{{0x84, 0, 0, 0, 0, 0x20}, 10.0},  // 8 * 1.25
                                           RealCase{{0x82, 0, 0, 0, 0, 0x40}, 3.0})); // 2 * 1.5

TEST(Real48, RoundsToNearestNotTruncates) {
    double v = 10.05; // not exact in either form
    double r = RoundToReal48(v);
    EXPECT_NEAR(r, v, std::ldexp(1.0, 3 - 39)); // half a unit of the last place at exponent 3
    // The neighbour one unit further away is worse, so the nearest was chosen.
    auto bytes = DoubleToReal48(v);
    EXPECT_LE(std::fabs(r - v), std::ldexp(1.0, 3 - 40));
    EXPECT_EQ(bytes[0], 0x84);
}

TEST(Real48, RoundingCarriesIntoExponent) {
    double justBelowTwo = 2.0 - std::ldexp(1.0, -45);
    EXPECT_EQ(RoundToReal48(justBelowTwo), 2.0);
}

TEST(Real48, OutOfRange) {
    EXPECT_THROW(DoubleToReal48(std::ldexp(1.0, 127)), Exception);
    EXPECT_THROW(DoubleToReal48(NAN), Exception);
    EXPECT_EQ(RoundToReal48(std::ldexp(1.0, -140)), 0.0);
}

TEST(Extended, WorkedEntryDate) {
    const std::array<std::uint8_t, 10> bytes = {0x00, 0x18, 0xE8, 0xB4, 0x81,
                                                0x66, 0x9B, 0x9B, 0x0E, 0x40};
    double d = ExtendedToDouble(bytes.data());
    EXPECT_NEAR(d, 39835.400416, 1e-6);
    EXPECT_EQ(DoubleToExtended(d), bytes);
}

class ExtendedRoundTrip : public ::testing::TestWithParam<double> {};

TEST_P(ExtendedRoundTrip, Exact) {
    double v = GetParam();
    auto bytes = DoubleToExtended(v);
    double back = ExtendedToDouble(bytes.data());
    if (std::isnan(v))
        EXPECT_TRUE(std::isnan(back));
    else
        EXPECT_EQ(back, v);
}

INSTANTIATE_TEST_SUITE_P(Values, ExtendedRoundTrip,
                         ::testing::Values(0.0, 1.0, -1.0, 1652376.0, 535844.0, 1e300, -2.5e-300,
                                           4.9e-324, INFINITY, NAN, 0.1));

TEST(Extended, OneHasExplicitIntegerBit) {
    auto b = DoubleToExtended(1.0);
    EXPECT_EQ(b, (std::array<std::uint8_t, 10>{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}));
}

TEST(DateTime, WorkedEntryDateIsCivil) {
    const std::array<std::uint8_t, 10> bytes = {0x00, 0x18, 0xE8, 0xB4, 0x81,
                                                0x66, 0x9B, 0x9B, 0x0E, 0x40};
    double d = ExtendedToDouble(bytes.data());
    // To the nearest second: 2009-01-22 09:36:36.
    CivilDateTime c = DateTimeToCivil(std::round(d * 86400.0) / 86400.0);
    EXPECT_EQ(c, (CivilDateTime{2009, 1, 22, 9, 36, 36, 0}));
}

TEST(DateTime, EpochAndNegativeDays) {
    EXPECT_EQ(DateTimeToCivil(0.0), (CivilDateTime{1899, 12, 30, 0, 0, 0, 0}));
    EXPECT_EQ(DateTimeToCivil(-1.25), (CivilDateTime{1899, 12, 29, 6, 0, 0, 0}));
    EXPECT_EQ(CivilToDateTime({1899, 12, 29, 6, 0, 0, 0}), -1.25);
    EXPECT_EQ(CivilToDateTime({2000, 2, 29, 12, 0, 0, 0}), 36585.5);
}

TEST(DateTime, RejectsImpossibleDates) {
    EXPECT_THROW(CivilToDateTime({2009, 2, 29, 0, 0, 0, 0}), Exception);
    EXPECT_THROW(CivilToDateTime({2009, 13, 1, 0, 0, 0, 0}), Exception);
    EXPECT_THROW(CivilToDateTime({2009, 1, 1, 24, 0, 0, 0}), Exception);
}

TEST(DateTime, DosPackedRoundTripTruncatesToEvenSeconds) {
    TDateTime t = CivilToDateTime({2009, 1, 22, 9, 36, 37, 0});
    std::int32_t packed = DateTimeToDosDateTime(t);
    EXPECT_EQ(static_cast<std::uint32_t>(packed),
              ((2009u - 1980) << 25 | 1u << 21 | 22u << 16 | 9u << 11 | 36u << 5 | 18u));
    EXPECT_EQ(DateTimeToCivil(DosDateTimeToDateTime(packed)),
              (CivilDateTime{2009, 1, 22, 9, 36, 36, 0}));
}

TEST(DateTime, DosOutsideRange) {
    EXPECT_EQ(DateTimeToDosDateTime(CivilToDateTime({1979, 12, 31, 0, 0, 0, 0})), 0);
}

TEST(DateTime, DosPackedTable) {
    struct Case {
        std::uint32_t dos;
        TDateTime dateTime;
    } cases[] = {
        {(29u << 25) | (2u << 21) | (12u << 16) | (9u << 11) | (36u << 5) | 18u,
         39856.0 + (9 * 3600 + 36 * 60 + 36) / 86400.0},     // 2009-02-12 09:36:36
        {(1u << 21) | (1u << 16), 29221.0},                  // 1980-01-01
        {(127u << 25) | (12u << 21) | (31u << 16), 75971.0}, // 2107-12-31
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(DosDateTimeToDateTime(static_cast<std::int32_t>(c.dos)), c.dateTime, 1e-9);
        EXPECT_EQ(static_cast<std::uint32_t>(DateTimeToDosDateTime(c.dateTime)), c.dos);
    }
    // Stamps that are no date count as unknown instead of failing.
    for (std::uint32_t bad : {0u, (2u << 21) | (30u << 16), (1u << 21) | (1u << 16) | (24u << 11)})
        EXPECT_EQ(DosDateTimeToDateTime(static_cast<std::int32_t>(bad)), 0.0) << std::hex << bad;
}

} // namespace
} // namespace vexo::archive
