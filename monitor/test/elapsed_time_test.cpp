#include "tavrel/elapsed_time.h"

#include <gtest/gtest.h>

#include "tavrel/testing/simulated_clock.h"

namespace tavrel {
namespace {

using testing::At;

TEST(MeasureIntervalTest, BorrowsFieldByFieldAndSkipsAcrossMonthsAndBackwardSteps) {
    struct Case {
        const char* name;
        SystemTime last, now;
        bool skipped;
        std::int32_t elapsedMs;
    };
    const Case cases[] = {
        {"same instant", At(14, 12, 0, 0, 0), At(14, 12, 0, 0, 0), false, 0},
        {"plain 50 ms", At(14, 12, 0, 0, 100), At(14, 12, 0, 0, 150), false, 50},
        {"across a second", At(14, 12, 0, 1, 980), At(14, 12, 0, 2, 30), false, 50},
        {"across an hour", At(14, 10, 59, 59, 950), At(14, 11, 0, 0, 10), false, 60},
        {"across midnight", At(14, 23, 59, 59, 990), At(15, 0, 0, 0, 40), false, 50},
        {"across a month end", At(31, 23, 59, 59, 990, 5), At(1, 0, 0, 0, 40, 6), true, 0},
        {"end of February", At(28, 23, 59, 59, 990, 2), At(1, 0, 0, 0, 40, 3), true, 0},
        {"clock set back", At(14, 12, 0, 10, 200), At(14, 12, 0, 9, 900), true, 0},
        {"set back an hour", At(14, 12, 0, 0, 0), At(14, 11, 0, 0, 0), true, 0},
        {"set back onto a later day", At(14, 12, 0, 0, 0), At(15, 11, 0, 0, 30), false, 30},
        {"61.5 s counts its 1.5", At(14, 12, 0, 0, 0), At(14, 12, 1, 1, 500), false, 1500},
        {"a whole minute is 0", At(14, 12, 0, 0, 0), At(14, 12, 1, 0, 0), false, 0},
        {"whole days dropped", At(1, 8, 0, 0, 0), At(30, 9, 30, 0, 250), false, 250},
        {"year and month ignored", At(14, 12, 0, 0, 0, 1, 2024), At(14, 12, 0, 0, 50, 3, 2025),
         false, 50},
        {"longest interval", At(14, 12, 0, 0, 1), At(14, 12, 1, 0, 0), false, 59999},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SampleInterval interval = MeasureInterval(c.last, c.now);
        EXPECT_EQ(interval.skipped, c.skipped);
        if (!c.skipped) {
            EXPECT_EQ(interval.elapsedMs, c.elapsedMs);
        }
    }
}

}  // namespace
}  // namespace tavrel
