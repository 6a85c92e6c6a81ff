// SPDX-License-Identifier: GPL-3.0-or-later
// The tick with its listeners: counting, skipped ticks, the alarm, the tray and the window.
#include "tick_pipeline_fixture.h"

namespace tavrel {
namespace pipeline_test {
namespace {

TEST_F(SamplingTickTest, FirstTickMeasuresNothingSoItsActivityWaitsForTheSecond) {
    source.pending = Activity(100.0f, 0.0f, 2, 1, 5);
    tick.Run();
    EXPECT_EQ(tick.tickCount(), 1);
    EXPECT_EQ(clock.utcReads, 1);
    EXPECT_EQ(source.takes, 0);  // nothing to measure it over: it stays in the source
    EXPECT_EQ(readouts.clickTotal(), 0);
    EXPECT_EQ(model.pain, 0.0f);
    EXPECT_EQ(model.totalKeys, 0);
    EXPECT_EQ(window.raises, 0);      // quiet path
    EXPECT_EQ(window.flashesOff, 0);  // the caption was never turned over: nothing to give back

    EXPECT_EQ(source.pending.keys, 5);
    clock.Advance(50);
    tick.Run();
    EXPECT_EQ(readouts.clickTotal(), 2);
    EXPECT_EQ(readouts.doubleClickTotal(), 1);
    EXPECT_EQ(model.totalKeys, 5);
    EXPECT_EQ(model.totalDistance, 1000);
}

TEST_F(SamplingTickTest, CounterRunsFrom1To999AndNeverShows0Again) {
    TickUntil(998);
    std::vector<std::int32_t> seen;
    for (int i = 0; i < 4; ++i) {
        Tick();
        seen.push_back(tick.tickCount());
    }
    EXPECT_EQ(seen, (std::vector<std::int32_t>{999, 1, 2, 3}));
}

TEST_F(SamplingTickTest, ANewMonthIsATickLikeAnyOther) {
    clock.now = At(31, 23, 59, 59, 900, 5);
    Tick(0);
    clock.Advance(100);  // June the 1st
    source.pending = Activity(100.0f, 5.0f, 3, 1, 7);
    const auto readoutsBefore = window.readoutLog.size();
    tick.Run();
    EXPECT_EQ(tick.tickCount(), 2);
    EXPECT_EQ(source.takes, 1);
    EXPECT_EQ(readouts.clickTotal(), 3);
    EXPECT_EQ(model.totalKeys, 7);
    EXPECT_EQ(model.totalDistance, 1050);
    EXPECT_GT(window.readoutLog.size(), readoutsBefore);
    EXPECT_EQ(tick.lastSampleTime().day, 1);

    Tick(40);
    EXPECT_EQ(idleMs, 40);
    EXPECT_EQ(window.readouts[Readout::TickCount], "     3");
}

TEST_F(SamplingTickTest, ANewMonthOnAMultipleOf100StillSavesAndOf10Flashes) {
    model.threshold = 0.0f;  // every measured tick is an alarm
    TickUntil(99);
    const int flashes = window.flashesOn;
    const auto writes = store.writes.size();
    clock.now = At(1, 0, 0, 0, 0, 7);  // tick 100 falls on a new month
    Tick();
    EXPECT_EQ(tick.tickCount(), 100);
    EXPECT_EQ(window.flashesOn, flashes + 1);
    EXPECT_EQ(store.writes.size(), writes + 2);
}

TEST_F(SamplingTickTest, LevelIconFollowsPainAgainstTheThreshold) {
    struct Case {
        float pain, threshold;
        TrayIcon icon;
    };
    const Case cases[] = {
        {9.99f, 100.0f, TrayIcon::Level0},
        {10.0f, 100.0f, TrayIcon::Level1},
        {29.9f, 100.0f, TrayIcon::Level1},
        {30.0f, 100.0f, TrayIcon::Level2},
        {59.9f, 100.0f, TrayIcon::Level3},
        {89.9f, 100.0f, TrayIcon::Level4},
        {90.0f, 100.0f, TrayIcon::Level5},
        {99.9f, 100.0f, TrayIcon::Level5},
        {0.0f, 100.0f, TrayIcon::Level0},
        {7.0f, 10.5f, TrayIcon::Level4},  // 7 / 10, not 7 / 10.5
        {-50.0f, 100.0f, TrayIcon::Level0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "pain " << c.pain << " threshold " << c.threshold);
        Pipeline fresh{model, flags, store};
        model.pain = c.pain;
        model.threshold = c.threshold;
        fresh.tick.Run();
        EXPECT_EQ(fresh.alarm.shownIcon(), c.icon);
        const std::vector<TrayIcon> expected =
            c.icon == TrayIcon::Level0 ? std::vector<TrayIcon>{} : std::vector<TrayIcon>{c.icon};
        EXPECT_EQ(fresh.tray.icons, expected);  // level 0 is already in the tray at start
    }
}

TEST_F(SamplingTickTest, ThresholdTruncatingTo0ShowsLevel0WhateverThePain) {
    model.threshold = 0.9f;
    model.pain = 500.0f;
    tick.Run();  // elapsed 0: the quiet path despite the pain
    EXPECT_EQ(alarm.shownIcon(), TrayIcon::Level0);
    EXPECT_TRUE(tray.icons.empty());
    EXPECT_EQ(PainLevel(500.0f, -0.9f), 0);
}

TEST_F(SamplingTickTest, SteadyLevelTouchesTheTrayOnlyOnce) {
    for (float pain : {35.0f, 55.0f, 95.0f}) {  // levels 2, 3 and 5
        SCOPED_TRACE(pain);
        model.pain = pain;
        tray.icons.clear();
        for (int i = 0; i < 20; ++i) Tick();
        EXPECT_EQ(tray.icons.size(), 1u);
    }
}

TEST_F(SamplingTickTest, ThirtyTickAlarmRaisesEveryTickAndFlashesOnMultiplesOf10) {
    TickUntil(4);
    model.pain = 200.0f;  // decay is 0: the alarm lasts until pain is reset
    std::vector<std::int32_t> flashTicks;
    for (int i = 0; i < 30; ++i) {
        const int before = window.flashesOn;
        Tick();
        if (window.flashesOn != before) flashTicks.push_back(tick.tickCount());
        EXPECT_EQ(flags.raisedByAlarm, 1);
    }
    EXPECT_EQ(tick.tickCount(), 34);
    EXPECT_EQ(window.raises, 30);
    EXPECT_EQ(flashTicks, (std::vector<std::int32_t>{10, 20, 30}));
    EXPECT_EQ(tray.icons,
              (std::vector<TrayIcon>{TrayIcon::Alarm1, TrayIcon::Alarm2, TrayIcon::Alarm1}));
    EXPECT_EQ(window.flashesOff, 0);  // the quiet ticks before the alarm had nothing to undo

    model.ResetPain();
    Tick();
    EXPECT_EQ(window.flashesOff, 1);  // the first quiet tick gives the caption its look back
    Tick();
    EXPECT_EQ(window.flashesOff, 1);  // and later ones leave it alone
    EXPECT_EQ(alarm.flashPhase(), 1);
    EXPECT_EQ(tray.icons.back(), TrayIcon::Level0);  // the level icon comes back
}

TEST_F(SamplingTickTest, HiddenWindowGetsNoReadoutsUntilAnAlarmRaisesIt) {
    Tick();
    flags.hiddenByUser = 1;
    flags.hiddenUndisturbed = 1;
    const auto before = window.readoutLog.size();
    Tick(50, Activity(0.0f, 0.0f, 0, 0, 3));
    Tick();
    EXPECT_EQ(window.readoutLog.size(), before);
    EXPECT_EQ(tick.tickCount(), 3);  // sampling goes on all the same

    model.pain = 200.0f;
    Tick();  // the alarm shows the window: its read-outs are current again
    EXPECT_EQ(window.readouts[Readout::TickCount], "     4");
    EXPECT_EQ(window.readouts[Readout::Pain], "   200");
    EXPECT_EQ(window.readouts[Readout::TotalKeys], "           3");

    const auto shown = window.readoutLog.size();
    readouts.Refresh();  // nothing changed since: nothing is set again
    EXPECT_EQ(window.readoutLog.size(), shown);
}

TEST_F(SamplingTickTest, LevelIconReturnsAfterAnAlarmAtEveryLevel) {
    // Level 2 before and after the alarm: the alarm icon must still give way.
    model.pain = 35.0f;
    Tick();
    model.pain = 200.0f;
    TickUntil(10);
    EXPECT_EQ(alarm.shownIcon(), TrayIcon::Alarm1);
    model.pain = 35.0f;
    Tick();
    EXPECT_EQ(alarm.shownIcon(), TrayIcon::Level2);
    EXPECT_EQ(tray.icons.back(), TrayIcon::Level2);
}

TEST_F(SamplingTickTest, AlarmWithoutAnyQuietTickBeforeItStillStartsWithTheFirstIcon) {
    model.threshold = 0.0f;
    clock.advanceOnRead = 25;  // the clock moves between the first tick's two readings
    for (int i = 0; i < 20; ++i) tick.Run();
    EXPECT_EQ(window.flashesOff, 0);  // the very first tick was an alarm already
    EXPECT_EQ(tray.icons, (std::vector<TrayIcon>{TrayIcon::Alarm1, TrayIcon::Alarm2}));
}

TEST_F(SamplingTickTest, ZeroIntervalDuringAnAlarmTakesTheQuietPath) {
    model.pain = 200.0f;
    TickUntil(10);  // alarm: first alarm icon
    ASSERT_EQ(alarm.shownIcon(), TrayIcon::Alarm1);
    const int raises = window.raises;
    Tick(0);
    EXPECT_EQ(window.raises, raises);
    EXPECT_EQ(window.flashesOff, 1);  // the caption was turned over at tick 10
    EXPECT_EQ(alarm.flashPhase(), 1);
    EXPECT_EQ(alarm.shownIcon(), TrayIcon::Level5);
    TickUntil(20);  // the alarm carries on, from the first icon again
    EXPECT_EQ(window.raises, raises + 9);
    // The first tick measured nothing either, so it showed level 5 too.
    EXPECT_EQ(tray.icons, (std::vector<TrayIcon>{TrayIcon::Level5, TrayIcon::Alarm1,
                                                 TrayIcon::Level5, TrayIcon::Alarm1}));
}

TEST_F(SamplingTickTest, WindowHiddenByTheUserGoesBackOnceAfterTheAlarm) {
    flags.hiddenByUser = 1;
    flags.hiddenUndisturbed = 1;
    Tick();
    model.pain = 200.0f;
    Tick();
    EXPECT_EQ(window.raises, 1);
    EXPECT_EQ(flags.raisedByAlarm, 1);
    EXPECT_EQ(flags.hiddenUndisturbed, 0);
    EXPECT_EQ(flags.hiddenByUser, 1);

    model.pain = 40.0f;  // quiet, but still sore: the window stays up
    Tick();
    EXPECT_EQ(window.hides, 0);
    model.pain = 0.9f;
    Tick();
    EXPECT_EQ(window.hides, 1);
    EXPECT_EQ(flags.raisedByAlarm, 0);
    for (int i = 0; i < 5; ++i) Tick();
    EXPECT_EQ(window.hides, 1);
}

TEST_F(SamplingTickTest, WindowStaysUpAfterTheAlarmUnlessTheUserHadHiddenIt) {
    struct Case {
        const char* name;
        WindowFlags beforeAlarm;                   // hidden by user, undisturbed, raised
        std::int32_t userAfter, undisturbedAfter;  // what the window code set meanwhile
    };
    const Case cases[] = {
        {"brought back from the tray", {1, 1, 0}, 0, 0},
        {"never hidden", {0, 0, 0}, 0, 0},
        {"hidden again by the user", {1, 1, 0}, 1, 1},  // already where the user wants it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowFlags caseFlags = c.beforeAlarm;
        Pipeline fresh{model, caseFlags, store};
        fresh.tick.Run();
        model.pain = 200.0f;
        fresh.clock.Advance(50);
        fresh.tick.Run();
        ASSERT_EQ(fresh.window.raises, 1);
        caseFlags.hiddenByUser = c.userAfter;
        caseFlags.hiddenUndisturbed = c.undisturbedAfter;
        model.pain = 0.0f;
        for (int i = 0; i < 3; ++i) {
            fresh.clock.Advance(50);
            fresh.tick.Run();
        }
        EXPECT_EQ(fresh.window.hides, 0);
        EXPECT_EQ(caseFlags.raisedByAlarm, 1);
    }
}

}  // namespace
}  // namespace pipeline_test
}  // namespace tavrel
