// SPDX-License-Identifier: GPL-3.0-or-later
// Axis ticks on round numbers and their texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>
#include <random>

#include "tavrel/nice_ticks.h"

namespace tavrel {
namespace {

struct TickCase {
    double min, max;
    int maxCount;
    std::vector<double> expected;
};

TEST(NiceTicksTest, ChoosesTheFinestOneTwoFiveStepThatFits) {
    const TickCase cases[] = {
        {0, 1, 6, {0, 0.2, 0.4, 0.6, 0.8, 1}},
        {0, 100, 5, {0, 50, 100}},
        {3, 97, 10, {0, 20, 40, 60, 80, 100}},
        {0, 0, 5, {0, 0.5, 1}},  // an empty range
        {-7, 13, 5, {-10, 0, 10, 20}},
        {0, 1234567, 6, {0, 500000, 1000000, 1500000}},
        {100, 0, 3, {0, 50, 100}},  // given the wrong way round
        {0.013, 0.047, 5, {0.01, 0.02, 0.03, 0.04, 0.05}},
    };
    for (const TickCase& c : cases) {
        const TickScale scale = NiceTicks(c.min, c.max, c.maxCount);
        ASSERT_EQ(scale.values.size(), c.expected.size()) << c.min << ".." << c.max;
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_NEAR(scale.values[i], c.expected[i], 1e-9 * (1 + std::fabs(c.expected[i])));
        }
    }
}

// Any range not too narrow for doubles: the ticks cover it, are no more than asked, sit on
// multiples of a 1-2-5 step, and the next finer 1-2-5 step would need too many.
TEST(NiceTicksTest, HoldsForAnyRange) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> exponent(-3, 9), unit(-1, 1);
    for (int i = 0; i < 5000; ++i) {
        const double a = unit(random) * std::pow(10, exponent(random));
        const double b = a + std::fabs(unit(random)) * std::pow(10, exponent(random));
        if (b - a < 1e-6 * std::max(std::fabs(a), std::fabs(b))) continue;
        const int maxCount = 2 + static_cast<int>(random() % 12);
        const TickScale s = NiceTicks(a, b, maxCount);
        ASSERT_LE(s.values.size(), static_cast<std::size_t>(maxCount));
        ASSERT_GE(s.values.size(), 2u);
        const double tolerance = s.step * 1e-6;
        ASSERT_LE(s.low, a + tolerance);
        ASSERT_GE(s.high, b - tolerance);
        const double mantissa = s.step / std::pow(10, std::floor(std::log10(s.step) + 1e-9));
        ASSERT_TRUE(std::fabs(mantissa - 1) < 1e-6 || std::fabs(mantissa - 2) < 1e-6 ||
                    std::fabs(mantissa - 5) < 1e-6)
            << s.step;
        for (const double v : s.values) {
            const double steps = v / s.step;
            ASSERT_NEAR(steps, std::round(steps), 1e-9 * std::max(1.0, std::fabs(steps)));
        }
        const double finer = mantissa < 3 ? s.step / 2 : s.step / 2.5;  // 1-2-5 downwards
        const double finerCount = std::ceil(b / finer - 1e-9) - std::floor(a / finer + 1e-9) + 1;
        ASSERT_GT(finerCount, maxCount) << a << ".." << b << " in " << maxCount;
    }
}

TEST(TickTextTest, ReadsAsRoundNumbersWithoutTheLocale) {
    const struct {
        double value, step;
        const char* text;
    } cases[] = {
        {0, 1, "0"},
        {0.4, 0.2, "0.4"},
        {0.30000000000000004, 0.1, "0.3"},
        {-10, 5, "-10"},
        {2500, 500, "2.5k"},
        {20000, 5000, "20k"},
        {1000000, 500000, "1M"},
        {1500000, 500000, "1.5M"},
        {500000, 500000, "500k"},
        {0.05, 0.01, "0.05"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatTick(c.value, c.step), c.text) << c.value;
    EXPECT_EQ(FormatCount(-1234567), "-1 234 567");
    EXPECT_EQ(FormatCount(999), "999");
    EXPECT_EQ(FormatDecimal(3780.46, 1), "3 780.5");
    EXPECT_EQ(FormatDecimal(0.04, 1), "0.0");
}

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kMax = std::numeric_limits<double>::max();

// Whatever the input: it returns, with two to maxCount finite ticks rising from low to high
// around the range (or [0, 1] for one that is not finite).
TEST(NiceTicksTest, IsDefinedForEveryInput) {
    const struct {
        double min, max;
        int maxCount;
        double coverLow, coverHigh;  // what the ticks must reach
    } cases[] = {
        {1e17, 1e17 + 16, 5, 1e17, 1e17 + 16},  // past 2^53 in steps of 1
        {9007199254740992.0, 9007199254740994.0, 3, 9007199254740992.0, 9007199254740994.0},
        {-1e300, -1e300 * (1 - 1e-15), 6, -1e300, -1e300 * (1 - 1e-15)},
        {-kMax, kMax, 5, -kMax, kMax},  // wider than a double holds
        {kMax, kMax, 4, kMax, kMax},
        {0, 5e-324, 5, 0, 5e-324},
        {kNan, 1, 5, 0, 1},
        {0, kInf, 5, 0, 1},
        {-kInf, kNan, 5, 0, 1},
        {0, 1e9, INT_MAX, 0, 1e9},
        {0, 10, INT_MIN, 0, 10},
        {0, 10, 0, 0, 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.min << ".." << c.max << " in " << c.maxCount);
        const TickScale s = NiceTicks(c.min, c.max, c.maxCount);
        ASSERT_GE(s.values.size(), 2u);
        EXPECT_LE(s.values.size(), static_cast<std::size_t>(std::clamp(c.maxCount, 2, kMaxTicks)));
        EXPECT_EQ(s.values.front(), s.low);
        EXPECT_EQ(s.values.back(), s.high);
        EXPECT_LE(s.low, c.coverLow);
        EXPECT_GE(s.high, c.coverHigh);
        EXPECT_TRUE(std::isfinite(s.step) && s.step > 0) << s.step;
        for (std::size_t i = 0; i < s.values.size(); ++i) {
            EXPECT_TRUE(std::isfinite(s.values[i]));
            if (i > 0) {
                EXPECT_LT(s.values[i - 1], s.values[i]);
            }
        }
    }
}

TEST(TickTextTest, EveryValueAndDecimalCountHasAText) {
    const struct {
        double value;
        int decimals;
        const char* text;
    } decimals[] = {
        {kNan, 1, "nan"},
        {kInf, 0, "inf"},
        {-kInf, 2, "-inf"},
        {-1.5, 0, "-2"},  // half away from zero
        {-0.0, 2, "0.00"},
        {-0.04, 1, "0.0"},
        {1.25, -3, "1"},
        {1e19, 0, "10 000 000 000 000 000 000"},
        {-123456789012345678901.0, 1, "-123 456 789 012 345 683 968.0"},
        {0.1, 25, "0.1000000000000000055511151"},
        {2.5e-26, 25, "0.0000000000000000000000000"},
        {1e-20, 25, "0.0000000000000000000100000"},
    };
    for (const auto& c : decimals) {
        EXPECT_EQ(FormatDecimal(c.value, c.decimals), c.text) << c.value << ", " << c.decimals;
    }
    const std::string largest = FormatDecimal(kMax, 0);
    EXPECT_EQ(largest.size(), 309u + 102u) << "309 digits, a space between each three";
    EXPECT_EQ(largest.substr(0, 5), "179 7");
    EXPECT_EQ(FormatDecimal(1, INT_MAX).size(), 2u + kMaxDecimals);

    const struct {
        double value, step;
        const char* text;
    } ticks[] = {
        {kNan, 1, "nan"},
        {-kInf, 1, "-inf"},
        {1, 0, "1"},
        {1, kInf, "1"},
        {1, kNan, "1"},
        {0.5, 1e-300, "0.5"},
        {1e15, 1e14, "1000000000M"},
    };
    for (const auto& c : ticks) EXPECT_EQ(FormatTick(c.value, c.step), c.text) << c.value;
    const std::string huge = FormatTick(1e300, 1e299);  // every digit of 1e294, in millions
    EXPECT_EQ(huge.size(), 296u);
    EXPECT_EQ(huge.substr(0, 16), "1000000000000000");
    EXPECT_EQ(huge.back(), 'M');
}

}  // namespace
}  // namespace tavrel
