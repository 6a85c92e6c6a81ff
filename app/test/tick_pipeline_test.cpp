// One tick with its listeners, as the controller wires them: the alarm and tray presenter,
// the read-outs and the totals keeper, over the shared fakes and a simulated clock.
#include "tavrel/sampling_tick.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "tavrel/alarm_presenter.h"
#include "tavrel/failure_notice.h"
#include "tavrel/readout_panel.h"
#include "tavrel/testing/default_model.h"
#include "tavrel/testing/fake_activity_source.h"
#include "tavrel/testing/fake_main_window.h"
#include "tavrel/testing/fake_tray.h"
#include "tavrel/testing/recording_store.h"
#include "tavrel/testing/simulated_clock.h"
#include "tavrel/totals_keeper.h"

namespace tavrel {
namespace {

using testing::Activity;
using testing::At;
using testing::FakeActivitySource;
using testing::FakeMainWindow;
using testing::FakeStore;
using testing::FakeTray;
using testing::Later;
using testing::SimulatedClock;

constexpr const char* kWriteFailed = "Can't write to INI file?";

class SamplingTickTest : public ::testing::Test {
  protected:
    SamplingTickTest() {
        model = testing::DefaultModel();
        model.decay = 0.0f;  // pain holds still unless a test lets it decay
        idleMs = 0;
    }
    ~SamplingTickTest() override { idleMs = 0; }

    // One timer message, `ms` after the previous one.
    void Tick(int ms = 50, MDTAG activity = MDTAG{}) {
        clock.now = Later(clock.now, ms);
        source.pending = activity;
        tick.Run();
    }
    // Runs ticks until the counter shows `count`.
    void TickUntil(std::int32_t count) {
        do Tick();
        while (tick.tickCount() != count);
    }

    // The controller's wiring, in its order.
    struct Pipeline {
        Pipeline(PainModel& model, WindowFlags& flags, FakeStore& store)
            : tick(clock, source, model),
              alarm(window, tray, flags),
              readouts(window, flags),
              totals(store, model, notice) {
            tick.AddListener(alarm);
            tick.AddListener(readouts);
            tick.AddListener(totals);
        }
        SimulatedClock clock;
        FakeActivitySource source;
        FakeMainWindow window;
        FakeTray tray;
        FailureNotice notice{window};
        SamplingTick tick;
        AlarmPresenter alarm;
        ReadoutPanel readouts;
        TotalsKeeper totals;
    };

    FakeStore store;
    PainModel model;
    WindowFlags flags;
    Pipeline p{model, flags, store};
    SimulatedClock& clock = p.clock;
    FakeActivitySource& source = p.source;
    FakeMainWindow& window = p.window;
    FakeTray& tray = p.tray;
    FailureNotice& notice = p.notice;
    SamplingTick& tick = p.tick;
    AlarmPresenter& alarm = p.alarm;
    ReadoutPanel& readouts = p.readouts;
};

TEST_F(SamplingTickTest, FirstTickMeasuresNothingSoItsActivityReachesOnlyTheClickTotals) {
    source.pending = Activity(100.0f, 0.0f, 2, 1, 5);
    tick.Run();
    EXPECT_EQ(tick.tickCount(), 1);
    EXPECT_EQ(clock.utcReads, 2);
    EXPECT_EQ(source.takes, 1);
    EXPECT_EQ(readouts.clickTotal(), 2);
    EXPECT_EQ(readouts.doubleClickTotal(), 1);
    EXPECT_EQ(model.pain, 0.0f);
    EXPECT_EQ(model.totalKeys, 0);
    EXPECT_EQ(window.raises, 0);      // quiet path
    EXPECT_EQ(window.flashesOff, 0);  // the caption was never turned over: nothing to give back

    Tick(50, Activity(0.0f, 0.0f, 0, 0, 5));
    EXPECT_EQ(model.totalKeys, 5);
    EXPECT_EQ(model.pain, 50.0f);
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

TEST_F(SamplingTickTest, SkippedTickDropsItsActivityButTakesTheNewReading) {
    clock.now = At(31, 23, 59, 59, 900, 5);
    Tick(0);
    clock.now = At(1, 0, 0, 0, 0, 6);  // a new month: the tick is skipped
    source.pending = Activity(100.0f, 5.0f, 3, 1, 7);
    const auto readoutsBefore = window.readoutLog.size();
    tick.Run();
    EXPECT_EQ(tick.tickCount(), 2);  // the counter still moves on
    EXPECT_EQ(source.takes, 2);        // and the record is still taken, so its activity is lost
    EXPECT_EQ(readouts.clickTotal(), 0);
    EXPECT_EQ(model.totalKeys, 0);
    EXPECT_EQ(model.totalDistance, 0);
    EXPECT_EQ(window.readoutLog.size(), readoutsBefore);
    EXPECT_EQ(tick.lastSampleTime().day, 1);

    Tick(40);  // measured from the skipped tick's reading
    EXPECT_EQ(idleMs, 40);
    EXPECT_EQ(window.readouts[Readout::TickCount], "     3");  // the read-out jumps by two
}

TEST_F(SamplingTickTest, SkippedTickOnAMultipleOf100SavesNothingAndOf10DoesNotFlash) {
    model.threshold = 0.0f;  // every measured tick is an alarm
    TickUntil(99);
    const int flashes = window.flashesOn;
    const auto writes = store.writes.size();
    clock.now = At(1, 0, 0, 0, 0, 7);  // tick 100 falls on a new month
    tick.Run();
    EXPECT_EQ(tick.tickCount(), 100);
    EXPECT_EQ(window.flashesOn, flashes);
    EXPECT_EQ(store.writes.size(), writes);
    TickUntil(110);
    EXPECT_EQ(window.flashesOn, flashes + 1);
    EXPECT_EQ(store.writes.size(), writes);  // the next save comes at 200
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

TEST_F(SamplingTickTest, ReadoutsUseTheirFixedWidthFormatsInOrder) {
    model.movePain = 0.0f;  // keep the pain where the test puts it
    model.dragPain = 0.0f;
    model.clickPain = 0.0f;
    model.doubleclickPain = 0.0f;
    model.pain = 41.7f;
    tick.Run();
    std::vector<Readout> order;
    for (const auto& set : window.readoutLog) order.push_back(set.first);
    EXPECT_EQ(order, (std::vector<Readout>{Readout::TickCount, Readout::Distance, Readout::DragDistance, Readout::Clicks, Readout::Pain, Readout::TotalDistance, Readout::TotalKeys}));

    TickUntil(6);
    Tick(50, Activity(99.6f, 0.4f, 3, 1, 0));
    const std::map<Readout, std::string> expected = {
        {Readout::TickCount, "     7"}, {Readout::Distance, "   100"},       {Readout::DragDistance, "     0"},       {Readout::Clicks, " 3  1"},
        {Readout::Pain, "    41"}, {Readout::TotalDistance, "        1000"}, {Readout::TotalKeys, "           0"},
    };
    EXPECT_EQ(window.readouts, expected);
}

TEST_F(SamplingTickTest, ReadoutsShowNegativeAndWideValues) {
    model.totalKeys = -12;
    model.totalDistance = 2147483647 - 12345670;
    model.keyboardPain = 0.0f;
    tick.Run();
    Tick(50, Activity(0.0f, 1234567.0f, -1, 1, 0));
    EXPECT_EQ(window.readouts[Readout::Clicks], "-1  1");
    EXPECT_EQ(window.readouts[Readout::DragDistance], "1234567");
    EXPECT_EQ(window.readouts[Readout::TotalKeys], "         -12");
    EXPECT_EQ(window.readouts[Readout::TotalDistance], "  2147483647");
}

TEST_F(SamplingTickTest, UnchangedReadoutsAreNotSetAgain) {
    tick.Run();
    EXPECT_EQ(window.readoutLog.size(), 7u);
    window.readoutLog.clear();
    Tick();
    ASSERT_EQ(window.readoutLog.size(), 1u);
    EXPECT_EQ(window.readoutLog[0].first, Readout::TickCount);
    window.readoutLog.clear();
    Tick(50, Activity(0.0f, 0.0f, 0, 0, 1));  // pain and total keys change too
    std::vector<Readout> controls;
    for (const auto& set : window.readoutLog) controls.push_back(set.first);
    EXPECT_EQ(controls, (std::vector<Readout>{Readout::TickCount, Readout::Pain, Readout::TotalKeys}));

    model.movePain = 0.0f;
    Tick(50, Activity(99.6f, 0.0f, 0, 0, 0));
    window.readoutLog.clear();
    Tick(50, Activity(100.4f, 0.0f, 0, 0, 0));  // another value, the same text
    controls.clear();
    for (const auto& set : window.readoutLog) controls.push_back(set.first);
    EXPECT_EQ(controls, (std::vector<Readout>{Readout::TickCount, Readout::TotalDistance}));
    EXPECT_EQ(window.readouts[Readout::Distance], "   100");
}

TEST_F(SamplingTickTest, TotalsAreSavedOnEveryHundredthTick) {
    model.totalDistance = 1234;
    TickUntil(99);
    EXPECT_TRUE(store.writes.empty());
    Tick(50, Activity(0.0f, 0.0f, 0, 0, 3));
    ASSERT_EQ(store.writes.size(), 2u);
    EXPECT_EQ(store.writes[0].section, "Main");
    EXPECT_EQ(store.writes[0].key, "Distance");
    EXPECT_EQ(store.writes[0].value, "1234");
    EXPECT_EQ(store.writes[1].section, "Main");
    EXPECT_EQ(store.writes[1].key, "TotalKeys");
    EXPECT_EQ(store.writes[1].value, "3");
    EXPECT_EQ(store.ReadInt("Main", "TotalKeys", -1), 3);
    TickUntil(199);
    EXPECT_EQ(store.writes.size(), 2u);
    Tick();
    EXPECT_EQ(store.writes.size(), 4u);
    EXPECT_TRUE(window.messages.empty());
}

TEST_F(SamplingTickTest, EachFailedWriteIsReportedThenTheTickCarriesOn) {
    store.FailAllWrites();
    TickUntil(100);
    EXPECT_EQ(window.messages, (std::vector<std::string>{kWriteFailed, kWriteFailed}));
    EXPECT_FALSE(notice.open());
    Tick();
    EXPECT_EQ(tick.tickCount(), 101);
    EXPECT_EQ(window.messages.size(), 2u);
}

TEST_F(SamplingTickTest, TicksInsideAnOpenMessageOpenNoFurtherOne) {
    store.FailAllWrites();
    int depth = 0, deepest = 0;
    bool nestedRun = false;
    window.onMessage = [&] {
        ++depth;
        deepest = std::max(deepest, depth);
        EXPECT_TRUE(notice.open());
        if (!nestedRun) {  // the user leaves the first message open for 250 ticks
            nestedRun = true;
            for (int i = 0; i < 250; ++i) Tick();
        }
        --depth;
    };
    TickUntil(99);
    Tick();
    EXPECT_EQ(tick.tickCount(), 350);
    EXPECT_EQ(deepest, 1);
    // The first write's message held the nested saves at 200 and 300 silent; the second
    // write of tick 100 still had its own message once the first was closed.
    EXPECT_EQ(window.messages.size(), 2u);
    EXPECT_EQ(store.writes.size(), 6u);  // every save was still tried
    EXPECT_EQ(store.writes[1].key, "Distance");
    EXPECT_EQ(store.writes[5].key, "TotalKeys");
}

TEST_F(SamplingTickTest, SavesResumeTheirMessagesOnceNoneIsOpen) {
    store.FailAllWrites();
    TickUntil(100);
    TickUntil(200);
    EXPECT_EQ(window.messages.size(), 4u);
}

}  // namespace
}  // namespace tavrel
