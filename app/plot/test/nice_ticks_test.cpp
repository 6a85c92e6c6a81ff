// Axis ticks on round numbers and their texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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

}  // namespace
}  // namespace tavrel
