// The recorder hears twenty samples a second: one that ends no minute must not touch the
// heap, the clock or the disk. This binary replaces the global operator new to count.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "fake_history_files.h"
#include "tavrel/history_recorder.h"
#include "tavrel/testing/fake_main_window.h"
#include "tavrel/testing/simulated_clock.h"

namespace {
long allocations = 0;
}

void* operator new(std::size_t size) {
    ++allocations;
    if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return ::operator new(size);
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}

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

    const long before = allocations;
    for (int i = 1; i < 1200; ++i) {
        sample.utc = Later(sample.utc, 50);
        sample.alarm = i % 7 == 0;
        recorder.OnSample(sample);
    }
    EXPECT_EQ(allocations, before);
    EXPECT_EQ(clock.localReads, 1);
    EXPECT_EQ(files.appends, 0);

    sample.utc = Later(sample.utc, 50);  // 12:01
    recorder.OnSample(sample);
    EXPECT_EQ(files.appends, 1);
    EXPECT_EQ(clock.localReads, 2);
}

}  // namespace
}  // namespace tavrel::testing
