// SPDX-License-Identifier: GPL-3.0-or-later
// Hook procedures on several threads while another thread polls: nothing may be lost.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "tavrel/hooks_core.h"

namespace tavrel::hooks {
namespace {

namespace mm = mouse_message;

struct Totals {
    double moveDistance = 0;
    double dragDistance = 0;
    std::int64_t clicks = 0;
    std::int64_t doubleClicks = 0;
    std::int64_t keys = 0;

    void Add(const MDTAG& r) {
        moveDistance += r.moveDistance;
        dragDistance += r.dragDistance;
        clicks += r.clicks;
        doubleClicks += r.doubleClicks;
        keys += r.keys;
    }
};

TEST(ConcurrencyTest, PollerReceivesExactlyWhatTheHookThreadsCounted) {
    constexpr int kThreads = 4;
    constexpr int kRounds = 100000;
    ActivityBlock block{};
    std::atomic<int> running{kThreads};
    std::atomic<bool> go{false};

    // Each thread stands for its own process, so its moves alternate between (0, 0) and
    // (3, 4) and each adds exactly 5. Sums of 5 stay exact in a float up to 2^24.
    // Releases clear the shared button flag, so moves may fall into either distance;
    // their total is what must match.
    std::vector<std::thread> feeders;
    for (int t = 0; t < kThreads; ++t) {
        feeders.emplace_back([&] {
            ProcessState process{};
            const ScreenPoint corners[2] = {{3, 4}, {0, 0}};
            while (!go.load()) std::this_thread::yield();
            for (int i = 0; i < kRounds; ++i) {
                CountMouseMessage(block, process, 0, mm::Move, &corners[i % 2]);
                CountKeyboardMessage(block, 0, PreviousKeyStateFlag);
                if (i % 4 == 0) CountMouseMessage(block, process, 0, mm::LeftDown, nullptr);
                if (i % 4 == 1) CountMouseMessage(block, process, 0, mm::LeftUp, nullptr);
                if (i % 8 == 2) CountMouseMessage(block, process, 0, mm::LeftDoubleClick, nullptr);
            }
            running.fetch_sub(1);
        });
    }

    Totals received;
    int polls = 0;
    go.store(true);
    while (running.load() > 0) {
        MDTAG record{};
        EXPECT_EQ(GetData(block, &record), 1);
        received.Add(record);
        ++polls;
    }
    for (auto& f : feeders) f.join();
    MDTAG rest{};
    GetData(block, &rest);
    received.Add(rest);

    const std::int64_t moves = std::int64_t{kThreads} * kRounds;
    const std::int64_t releases = std::int64_t{kThreads} * (kRounds / 4);
    const std::int64_t doubleClicks = std::int64_t{kThreads} * (kRounds / 8);
    EXPECT_EQ(received.moveDistance + received.dragDistance, 5.0 * static_cast<double>(moves));
    EXPECT_EQ(received.keys, moves);
    EXPECT_EQ(received.doubleClicks, doubleClicks);
    EXPECT_EQ(received.clicks, releases - 2 * doubleClicks);
    EXPECT_GT(polls, 1);
}

}  // namespace
}  // namespace tavrel::hooks
