// SPDX-License-Identifier: GPL-3.0-or-later
// The rest countdown against a simulated run of the model: idle ticks of 50 ms until the pain
// is below the threshold.
#include "tavrel/rest_estimate.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tavrel/testing/default_model.h"

namespace tavrel {
namespace {

// Runs the model's own idle ticks until the alarm ends; the time that took, or -1.
std::int64_t SimulatedRestMs(PainModel model, std::int32_t idle, std::int32_t tickMs) {
    idleMs = idle;
    if (!(model.pain >= model.threshold)) return 0;
    for (std::int64_t ticks = 1; ticks <= 2000000; ++ticks) {
        if (model.Update(0, 0, 0, 0, 0, tickMs) == 0) return ticks * tickMs;
    }
    return kRestNeverEnough;
}

TEST(RestEstimateTest, MatchesASimulatedRestOfTheModel) {
    struct Case {
        float pain, threshold, decay;
        std::int32_t breakLimit, idle;
    };
    const Case cases[] = {
        {600, 100, 10, 100, 0},            // the defaults: one decaying tick is not enough
        {100, 100, 10, 100, 0},            // exactly at the threshold
        {100.5f, 100, 10, 100, 0},         // just above it
        {600, 100, 10, 100, 100},          // the break limit already reached
        {600, 100, 10, 100, 230},          // ... and passed
        {600, 100, 10, 0, 0},              // no break limit: the first idle tick decays
        {600, 100, 10, -500, 0},           // a negative one: the same
        {600, 100, 10, 120, 0},            // a limit between ticks
        {5000, 1000, 0.1f, 30000, 0},      // half a minute's break before any decay
        {5000, 1000, 0.1f, 30000, 12345},  // part of it already rested
        {1234.567f, 1000, 0.3f, 100, 0},   // fractions
        {1e6f, 1000, 0.1f, 100, 0},        // a long rest
        {2000, 0, 10, 100, 0},             // a threshold of 0 is never gone below
        {50, 100, 10, 100, 0},             // no alarm: nothing to rest
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "pain " << c.pain << " threshold " << c.threshold << " decay " << c.decay
                     << " limit " << c.breakLimit << " idle " << c.idle);
        PainModel model = testing::DefaultModel();
        model.pain = c.pain;
        model.threshold = c.threshold;
        model.decay = c.decay;
        model.breakLimit = c.breakLimit;
        const std::int64_t predicted = RestNeededMs(model, c.idle, 50);
        EXPECT_EQ(predicted, SimulatedRestMs(model, c.idle, 50));
    }
    idleMs = 0;
}

TEST(RestEstimateTest, ARestOfHoursIsRightToATick) {
    PainModel model = testing::DefaultModel();
    model.pain = 3e6f;
    model.threshold = 1000.0f;
    model.decay = 0.1f;  // six hundred thousand decaying ticks
    const std::int64_t simulated = SimulatedRestMs(model, 0, 50);
    EXPECT_NEAR(static_cast<double>(RestNeededMs(model, 0, 50)), static_cast<double>(simulated),
                50.0);
    EXPECT_GT(simulated, 8 * 3600 * 1000);
    idleMs = 0;
}

TEST(RestEstimateTest, WithoutDecayNoRestIsEnough) {
    PainModel model = testing::DefaultModel();
    model.pain = 500.0f;
    for (const float decay : {0.0f, -1.0f, NAN}) {
        model.decay = decay;
        EXPECT_EQ(RestNeededMs(model, 0, 50), kRestNeverEnough) << decay;
    }
    model.decay = 10.0f;
    model.pain = NAN;  // no alarm, nothing to rest
    EXPECT_EQ(RestNeededMs(model, 0, 50), 0);
}

}  // namespace
}  // namespace tavrel
