// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/pain_model.h"

#include "tavrel/testing/default_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace tavrel {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
const float kNaN = std::numeric_limits<float>::quiet_NaN();

using testing::DefaultModel;

class PainModelTest : public ::testing::Test {
  protected:
    void SetUp() override { idleMs = 0; }
    void TearDown() override { idleMs = 0; }

    std::int32_t Idle(std::int32_t ms) { return m.Update(0.0f, 0.0f, 0, 0, 0, ms); }

    PainModel m = DefaultModel();
};

TEST_F(PainModelTest, ZeroIntervalDropsActivityAndAnswersNoAlarmEvenAtThreshold) {
    m.pain = 150.0f;
    m.totalDistance = 7;
    m.totalKeys = 9;
    idleMs = 70;
    EXPECT_EQ(m.Update(100.0f, 20.0f, 3, 1, 4, 0), 0);
    EXPECT_EQ(m.pain, 150.0f);
    EXPECT_EQ(m.totalDistance, 7);
    EXPECT_EQ(m.totalKeys, 9);
    EXPECT_EQ(idleMs, 70);
}

TEST_F(PainModelTest, AlarmWhenPainReachesThreshold) {
    struct Case {
        float pain, threshold;
        std::int32_t expected;
    };
    const Case cases[] = {
        {100.0f, 100.0f, 1},                   // equal counts as reached
        {99.99f, 100.0f, 0}, {0.0f, 0.0f, 1},  // a zero threshold alarms on every interval
        {kNaN, 0.0f, 0},                       // a NaN pain never alarms
        {5.0f, kNaN, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "pain " << c.pain << " threshold " << c.threshold);
        m = DefaultModel();
        idleMs = 0;
        m.pain = c.pain;
        m.threshold = c.threshold;
        EXPECT_EQ(Idle(50), c.expected);  // idle 50 ms is within the break limit: no decay
    }
}

TEST_F(PainModelTest, MovementAddsScreenCrossingTimeTimesWeight) {
    struct Case {
        float move, drag;
        float dragWeight;
        float expectedPain;
        std::int32_t expectedTenths;
    };
    const Case cases[] = {
        {100.0f, 0.0f, 10.0f, 5.12f, 1000},  // 1024 px at 2000 px/s: 0.512 s
        {1.0f, 0.0f, 10.0f, 512.0f, 10},     // fewer pixels, more pain
        {0.0f, 100.0f, 10.0f, 5.12f, 1000},  // drags alike with their own weight
        {0.0f, 100.0f, 20.0f, 10.24f, 1000},
        {100.0f, 1.0f, 10.0f, 517.12f, 1010},  // both kinds in one interval
        {3.25f, 0.0f, 10.0f, 0.0f, 33},        // rounding of the tenths: half up
        {3.24f, 0.0f, 10.0f, 0.0f, 32},
        {1.25f, 2.0f, 10.0f, 0.0f, 33},  // the whole distance is rounded, not each kind
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "move " << c.move << " drag " << c.drag);
        m = DefaultModel();
        m.dragPain = c.dragWeight;
        m.threshold = 1e9f;
        m.Update(c.move, c.drag, 0, 0, 0, 50);
        if (c.expectedPain != 0.0f) {
            EXPECT_FLOAT_EQ(m.pain, c.expectedPain);
        }
        EXPECT_EQ(m.totalDistance, c.expectedTenths);
    }
}

TEST_F(PainModelTest, IntermediatesStayInDoublePrecision) {
    // 1 px in 9 ms on 1024 px is 92.16; a speed rounded to float would give 92.159996.
    m.Update(1.0f, 0.0f, 0, 0, 0, 9);
    EXPECT_EQ(m.pain, 92.16f);
    // Each step stores into the float pain before the next reads it: 2^24 + 1 rounds back
    // down, so a second such step adds nothing either.
    m = DefaultModel();
    m.pain = 16777216.0f;
    m.clickPain = 1.0f;
    m.keyboardPain = 1.0f;
    m.Update(0.0f, 0.0f, 1, 0, 1, 50);
    EXPECT_EQ(m.pain, 16777216.0f);
}

TEST_F(PainModelTest, CountsAddTheirWeights) {
    m.threshold = 1e9f;
    m.clickPain = 1.0f;
    m.doubleclickPain = 100.0f;
    m.keyboardPain = 10000.0f;
    m.Update(0.0f, 0.0f, 2, 3, 4, 50);
    EXPECT_EQ(m.pain, 2.0f + 300.0f + 40000.0f);
    EXPECT_EQ(m.totalKeys, 4);
}

TEST_F(PainModelTest, NegativeClicksBesideADoubleClickStillCountAsActivity) {
    idleMs = 500;
    m.Update(0.0f, 0.0f, -1, 1, 0, 50);
    EXPECT_EQ(m.pain, 10.0f);  // only the double-click
    EXPECT_EQ(idleMs, 0);
}

TEST_F(PainModelTest, NothingPositiveIsNoActivity) {
    struct Case {
        float move, drag;
        std::int32_t clicks, doubleClicks, keys;
    };
    const Case cases[] = {
        {0.0f, 0.0f, 0, 0, 0},   {-3.0f, 0.0f, 0, 0, 0},  {kNaN, kNaN, 0, 0, 0},
        {0.0f, 0.0f, -2, -1, 0}, {0.0f, -0.0f, 0, 0, -4},
    };
    for (const Case& c : cases) {
        m = DefaultModel();
        m.pain = 1000.0f;
        idleMs = 200;
        m.Update(c.move, c.drag, c.clicks, c.doubleClicks, c.keys, 50);
        EXPECT_EQ(idleMs, 250);
        EXPECT_EQ(m.pain, 500.0f);  // past the break limit: 50 ms × 10 decayed
    }
}

TEST_F(PainModelTest, NaNDistanceAddsNothingToTheTotal) {
    m.totalDistance = 40;
    m.Update(kNaN, 0.0f, 0, 0, 0, 50);
    EXPECT_EQ(m.totalDistance, 40);
}

TEST_F(PainModelTest, DecayStartsOnlyOnceIdleTimeExceedsTheBreakLimit) {
    m.pain = 2000.0f;
    Idle(50);
    EXPECT_EQ(idleMs, 50);
    EXPECT_EQ(m.pain, 2000.0f);
    Idle(50);
    EXPECT_EQ(idleMs, 100);  // equal to the limit: not past it
    EXPECT_EQ(m.pain, 2000.0f);
    Idle(50);  // the whole interval decays
    EXPECT_EQ(m.pain, 1500.0f);
    Idle(20);
    EXPECT_EQ(m.pain, 1300.0f);
    m.Update(0.0f, 0.0f, 1, 0, 0, 50);  // any activity restarts the break
    EXPECT_EQ(idleMs, 0);
    Idle(50);
    EXPECT_EQ(m.pain, 1310.0f);
}

TEST_F(PainModelTest, BreakLimitOfZeroOrLessDecaysOnTheFirstIdleInterval) {
    for (std::int32_t limit : {0, -5, kMin}) {
        SCOPED_TRACE(limit);
        m = DefaultModel();
        idleMs = 0;
        m.breakLimit = limit;
        m.pain = 1000.0f;
        Idle(50);
        EXPECT_EQ(m.pain, 500.0f);
    }
}

TEST_F(PainModelTest, DecayClampsAtZero) {
    struct Case {
        float pain, decay, expected;
    };
    const Case cases[] = {
        {300.0f, 10.0f, 0.0f},                           // not -200
        {kNaN, 10.0f, 0.0f},                             // a NaN pain is set back
        {kNaN, 0.0f, 0.0f},     {300.0f, 0.0f, 300.0f},  // no decay rate: pain stays
        {300.0f, 0.5f, 275.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "pain " << c.pain << " decay " << c.decay);
        m = DefaultModel();
        m.pain = c.pain;
        m.decay = c.decay;
        idleMs = 1000;
        Idle(50);
        EXPECT_EQ(m.pain, c.expected);
        EXPECT_FALSE(std::signbit(m.pain));
    }
}

TEST_F(PainModelTest, ZeroDecayKeepsPainUntilReset) {
    m.decay = 0.0f;
    m.pain = 42.0f;
    for (int i = 0; i < 100; ++i) Idle(50);
    EXPECT_EQ(m.pain, 42.0f);
    m.ResetPain();
    EXPECT_EQ(m.pain, 0.0f);
}

TEST_F(PainModelTest, WeightlessTypingIsStillActivity) {
    m.keyboardPain = 0.0f;
    m.pain = 300.0f;
    for (int i = 0; i < 10; ++i) m.Update(0.0f, 0.0f, 0, 0, 2, 50);
    EXPECT_EQ(m.pain, 300.0f);
    EXPECT_EQ(idleMs, 0);
    EXPECT_EQ(m.totalKeys, 20);
}

TEST_F(PainModelTest, ResetPainLeavesTotalsSettingsAndIdleTime) {
    m.pain = 77.0f;
    m.totalDistance = 5;
    m.totalKeys = 6;
    idleMs = 123;
    m.ResetPain();
    EXPECT_EQ(m.pain, 0.0f);
    EXPECT_EQ(m.totalDistance, 5);
    EXPECT_EQ(m.totalKeys, 6);
    EXPECT_EQ(m.threshold, 100.0f);
    EXPECT_EQ(idleMs, 123);
}

TEST_F(PainModelTest, TotalsWrapAroundIn32Bits) {
    m.threshold = 1e30f;
    m.totalDistance = kMax - 5;
    m.totalKeys = kMax;
    m.Update(1.0f, 0.0f, 0, 0, 1, 50);
    EXPECT_EQ(m.totalDistance, kMin + 4);
    EXPECT_EQ(m.totalKeys, kMin);
    m.Update(0.0f, 0.0f, 0, 0, -1, 50);  // a negative count is added as it comes
    EXPECT_EQ(m.totalKeys, kMax);
}

TEST_F(PainModelTest, HugeDistanceSaturatesItsTenths) {
    m.threshold = 1e30f;
    m.Update(1e30f, 0.0f, 0, 0, 0, 50);
    EXPECT_EQ(m.totalDistance, kMax);
}

TEST_F(PainModelTest, LongRestKeepsDecayingInsteadOfWrappingIdleTime) {
    idleMs = kMax - 10;
    m.pain = 1000.0f;
    Idle(50);
    EXPECT_EQ(idleMs, kMax);
    EXPECT_EQ(m.pain, 500.0f);
    Idle(50);
    EXPECT_EQ(idleMs, kMax);
    EXPECT_EQ(m.pain, 0.0f);
}

TEST(TruncToInt32Test, TruncatesTowardZeroAndSaturates) {
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double value;
        std::int32_t expected;
    };
    const Case cases[] = {
        {0.0, 0},
        {-0.0, 0},
        {1.9, 1},
        {-1.9, -1},
        {0.999999, 0},
        {2147483647.0, kMax},
        {2147483647.9, kMax},
        {2147483648.0, kMax},
        {1e300, kMax},
        {inf, kMax},
        {-2147483648.0, kMin},
        {-2147483648.9, kMin},
        {-2147483649.0, kMin},
        {-1e300, kMin},
        {-inf, kMin},
        {std::numeric_limits<double>::quiet_NaN(), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(TruncToInt32(c.value), c.expected) << c.value;
}

TEST(WrapAddTest, WrapsInTwosComplement) {
    struct Case {
        std::int32_t a, b, expected;
    };
    const Case cases[] = {
        {1, 2, 3},        {-1, -1, -2},    {kMax, 1, kMin},  {kMin, -1, kMax},
        {kMax, kMax, -2}, {kMin, kMin, 0}, {kMax, kMin, -1}, {-5, 5, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(WrapAdd(c.a, c.b), c.expected) << c.a << " + " << c.b;
}

}  // namespace
}  // namespace tavrel
