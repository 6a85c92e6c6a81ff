// SPDX-License-Identifier: GPL-3.0-or-later
// The recorder hears twenty samples a second: one that ends no minute must not touch the
// heap, the clock or the disk. The counting operator new is linked into this binary.
#include <gtest/gtest.h>

#include "fake_history_files.h"
#include "tavrel/history_recorder.h"
#include "tavrel/testing/fake_main_window.h"
#include "tavrel/testing/allocation_counter.h"
#include "tavrel/testing/simulated_clock.h"

namespace tavrel::testing {
namespace {

TEST(HistoryAllocationTest, ATickInsideAMinuteAllocatesNothingAndAsksNoClock) {
    SimulatedClock clock;
    clock.now = At(10, 12, 0, 0, 0);
    FakeMainWindow window;
    FailureNotice notice(window);
    FakeHistoryFiles files;
    HistoryWriter writer(files);
    HistoryRecorder recorder(clock, writer, notice);
    Sample sample{1, clock.now, 50, {1.5f, 0.5f, 1, 0, 2}, 12.5f, 100.0f, false, 0, 0};
    recorder.OnSample(sample);  // opens 12:00

    const long before = testing::AllocationCount();
    for (int i = 1; i < 1200; ++i) {
        sample.utc = Later(sample.utc, 50);
        sample.alarm = i % 7 == 0;
        recorder.OnSample(sample);
    }
    EXPECT_EQ(testing::AllocationCount(), before);
    EXPECT_EQ(clock.localReads, 1);
    EXPECT_EQ(files.appends, 0);

    sample.utc = Later(sample.utc, 50);  // 12:01
    recorder.OnSample(sample);
    EXPECT_EQ(files.appends, 1);
    EXPECT_EQ(clock.localReads, 2);
}

}  // namespace
}  // namespace tavrel::testing
