// SPDX-License-Identifier: GPL-3.0-or-later
// A program that stops its timer while hidden and idle must come out of the rest as if it had
// ticked all along: the same pain, totals, stored totals, history minutes and tick counter as
// a program that never stopped, with the input that woke it counted in full.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fake_history_files.h"
#include "tavrel/history_recorder.h"
#include "tavrel/history_writer.h"
#include "tavrel/monitor_controller.h"
#include "tavrel/testing/fake_roles.h"

namespace tavrel {
namespace {

using namespace tavrel::testing;

// One program over the fakes, its timer run by the test millisecond by millisecond. Its
// wake-up goes straight to the controller, as a post reaches the GUI thread.
struct Program final : WakeTarget, FakeRoles {
    explicit Program(bool canWake) {
        source.canWake = canWake;
        recorder.emplace(clock, writer, controller.notice());
        controller.AddListener(*recorder);
    }
    void Wake() override { controller.Wake(); }

    // Runs the ticks due up to the next millisecond.
    void Step() {
        if (timer.starts != starts) {  // started again: its period counts from then
            starts = timer.starts;
            nextTick = now + kTickPeriodMs;
        }
        clock.Advance(1);
        ++now;
        if (!timer.running || now < nextTick) return;
        nextTick += kTickPeriodMs;
        const bool was = controller.dormant();
        controller.OnTimer();
        ++ticks;
        if (!was && controller.dormant()) ++rests;
        if (inputWaits) countsAtInput.push_back(controller.tick().tickCount());
        inputWaits = false;
    }
    void Input(const MDTAG& record) {
        source.Input(record);
        inputWaits = true;
    }
    void RunFor(std::int64_t ms) {
        for (std::int64_t i = 0; i < ms; ++i) Step();
    }
    std::vector<std::string> SavedTotals() const {
        std::vector<std::string> saved;
        for (const auto& w : store.writes) {
            if (w.section == "Main" && (w.key == "Distance" || w.key == "TotalKeys")) {
                saved.push_back(w.key + "=" + w.value);
            }
        }
        return saved;
    }

    FakeHistoryFiles files;
    HistoryWriter writer{files};
    MonitorController controller{Roles(nullptr, this)};
    std::optional<HistoryRecorder> recorder;
    std::int64_t now = 0, nextTick = 0;
    int starts = 0, ticks = 0, rests = 0;
    bool inputWaits = false;
    std::vector<std::int32_t> countsAtInput;  // the counter of each tick that took input
};

// Consecutive equal saves are one: a resting program leaves out the saves that store again
// what is stored already.
std::vector<std::string> Distinct(const std::vector<std::string>& saved) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < saved.size(); i += 2) {
        const std::string pair = saved[i] + "," + (i + 1 < saved.size() ? saved[i + 1] : "");
        if (out.empty() || out.back() != pair) out.push_back(pair);
    }
    return out;
}

TEST(DormantTest, ARestingProgramMatchesOneThatTickedAllAlong) {
    Program ticking(false), resting(true);
    for (Program* p : {&ticking, &resting}) {
        idleMs = 0;
        p->controller.Start(1024);
        p->RunFor(1000);
        p->Input(Activity(300, 0, 2, 0, 4));  // work, then the window goes to the tray
        p->RunFor(700);
        p->controller.HideToTray();
    }
    // Interleaved, as the process-wide idle time is one for both: each keeps its own.
    std::int32_t idle[2] = {idleMs, idleMs};
    auto run = [&](std::int64_t ms) {
        for (std::int64_t i = 0; i < ms; ++i) {
            Program* both[2] = {&ticking, &resting};
            for (int k = 0; k < 2; ++k) {
                idleMs = idle[k];
                both[k]->Step();
                idle[k] = idleMs;
            }
        }
    };
    // A rest of several minutes, across minute boundaries and saves, ending off the grid of
    // 50 ms ticks; then the input that wakes the resting one.
    run(4 * 60 * 1000 + 17 * 1000 + 23);
    EXPECT_TRUE(resting.controller.dormant());
    EXPECT_FALSE(resting.timer.running);
    EXPECT_FALSE(ticking.controller.dormant());
    // It ticks on until the minute of work is written, then rests.
    EXPECT_LT(resting.ticks, ticking.ticks / 4) << "the resting program kept ticking";

    for (Program* p : {&ticking, &resting}) p->Input(Activity(120, 40, 1, 1, 7));
    EXPECT_FALSE(resting.controller.dormant()) << "input did not wake it";
    run(2 * 60 * 1000 + 5 * 1000);
    resting.Input(Activity(10, 0, 0, 0, 1));
    ticking.Input(Activity(10, 0, 0, 0, 1));
    run(90 * 1000);
    EXPECT_GE(resting.rests, 2) << "it should have rested after each spell of work";

    for (Program* p : {&ticking, &resting}) {
        p->window.answers.push_back(Answer::No);
        p->controller.OnQuit();
    }
    idleMs = 0;

    const PainModel& a = ticking.controller.model();
    const PainModel& b = resting.controller.model();
    EXPECT_EQ(b.pain, a.pain);
    EXPECT_EQ(b.totalDistance, a.totalDistance);
    EXPECT_EQ(b.totalKeys, a.totalKeys);
    EXPECT_EQ(b.totalKeys, 4 + 7 + 1);
    EXPECT_EQ(resting.controller.readouts().clickTotal(),
              ticking.controller.readouts().clickTotal());
    // The counter keeps its rhythm: the saves and flashes after a rest fall on the same ticks.
    EXPECT_EQ(resting.countsAtInput, ticking.countsAtInput);
    EXPECT_EQ(resting.countsAtInput.size(), 3u);
    EXPECT_EQ(resting.store.data.ReadInt("Main", "Distance", -1),
              ticking.store.data.ReadInt("Main", "Distance", -1));
    EXPECT_EQ(resting.store.data.ReadInt("Main", "TotalKeys", -1),
              ticking.store.data.ReadInt("Main", "TotalKeys", -1));
    EXPECT_EQ(Distinct(resting.SavedTotals()), Distinct(ticking.SavedTotals()));
    EXPECT_LT(resting.SavedTotals().size(), ticking.SavedTotals().size());
    EXPECT_EQ(resting.files.files, ticking.files.files);
    ASSERT_EQ(ticking.files.files.size(), 1u);
    EXPECT_NE(ticking.files.files.begin()->second.find(",7,"), std::string::npos)
        << ticking.files.files.begin()->second;
}

}  // namespace
}  // namespace tavrel
