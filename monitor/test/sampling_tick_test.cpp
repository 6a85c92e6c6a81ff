#include "tavrel/sampling_tick.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "default_model.h"
#include "fake_store.h"
#include "fake_tick_host.h"

namespace tavrel {
namespace {

using test::At;
using test::FakeStore;
using test::FakeTickHost;
using test::Later;

constexpr const char* kWriteFailed = "Can't write to INI file?";

MDTAG Activity(float move, float drag, std::int32_t clicks, std::int32_t doubleClicks,
               std::int32_t keys) {
    MDTAG record{};
    record.moveDistance = move;
    record.dragDistance = drag;
    record.clicks = clicks;
    record.doubleClicks = doubleClicks;
    record.keys = keys;
    return record;
}

class SamplingTickTest : public ::testing::Test {
  protected:
    SamplingTickTest() {
        model = fixtures::DefaultModel();
        model.decay = 0.0f;  // pain holds still unless a test lets it decay
        idleMs = 0;
    }
    ~SamplingTickTest() override { idleMs = 0; }

    // One timer message, `ms` after the previous one.
    void Tick(int ms = 50, MDTAG activity = MDTAG{}) {
        host.now = Later(host.now, ms);
        host.pending = activity;
        tick.Run();
    }
    // Runs ticks until the counter shows `count`.
    void TickUntil(std::int32_t count) {
        do Tick();
        while (tick.tickCount() != count);
    }

    FakeTickHost host;
    FakeStore store;
    PainModel model;
    WindowFlags flags;
    SamplingTick tick{host, model, flags, store};
};

TEST_F(SamplingTickTest, FirstTickMeasuresNothingSoItsActivityReachesOnlyTheClickTotals) {
    host.pending = Activity(100.0f, 0.0f, 2, 1, 5);
    tick.Run();
    EXPECT_EQ(tick.tickCount(), 1);
    EXPECT_EQ(host.nowCalls, 2);
    EXPECT_EQ(host.takes, 1);
    EXPECT_EQ(tick.clickTotal(), 2);
    EXPECT_EQ(tick.doubleClickTotal(), 1);
    EXPECT_EQ(model.pain, 0.0f);
    EXPECT_EQ(model.totalKeys, 0);
    EXPECT_EQ(host.raises, 0);      // quiet path
    EXPECT_EQ(host.flashesOff, 0);  // the caption was never turned over: nothing to give back

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
    host.now = At(31, 23, 59, 59, 900, 5);
    Tick(0);
    host.now = At(1, 0, 0, 0, 0, 6);  // a new month: the tick is skipped
    host.pending = Activity(100.0f, 5.0f, 3, 1, 7);
    const auto readoutsBefore = host.readoutLog.size();
    tick.Run();
    EXPECT_EQ(tick.tickCount(), 2);  // the counter still moves on
    EXPECT_EQ(host.takes, 2);        // and the record is still taken, so its activity is lost
    EXPECT_EQ(tick.clickTotal(), 0);
    EXPECT_EQ(model.totalKeys, 0);
    EXPECT_EQ(model.totalDistance, 0);
    EXPECT_EQ(host.readoutLog.size(), readoutsBefore);
    EXPECT_EQ(tick.lastSampleTime().day, 1);

    Tick(40);  // measured from the skipped tick's reading
    EXPECT_EQ(idleMs, 40);
    EXPECT_EQ(host.readouts[1002], "     3");  // the read-out jumps by two
}

TEST_F(SamplingTickTest, SkippedTickOnAMultipleOf100SavesNothingAndOf10DoesNotFlash) {
    model.threshold = 0.0f;  // every measured tick is an alarm
    TickUntil(99);
    const int flashes = host.flashesOn;
    const auto writes = store.writes.size();
    host.now = At(1, 0, 0, 0, 0, 7);  // tick 100 falls on a new month
    tick.Run();
    EXPECT_EQ(tick.tickCount(), 100);
    EXPECT_EQ(host.flashesOn, flashes);
    EXPECT_EQ(store.writes.size(), writes);
    TickUntil(110);
    EXPECT_EQ(host.flashesOn, flashes + 1);
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
        SCOPED_TRACE(testing::Message() << "pain " << c.pain << " threshold " << c.threshold);
        FakeTickHost host;
        SamplingTick tick{host, model, flags, store};
        model.pain = c.pain;
        model.threshold = c.threshold;
        tick.Run();
        EXPECT_EQ(tick.shownTrayIcon(), c.icon);
        const std::vector<TrayIcon> expected =
            c.icon == TrayIcon::Level0 ? std::vector<TrayIcon>{} : std::vector<TrayIcon>{c.icon};
        EXPECT_EQ(host.trayIcons, expected);  // level 0 is already in the tray at start
    }
}

TEST_F(SamplingTickTest, ThresholdTruncatingTo0ShowsLevel0WhateverThePain) {
    model.threshold = 0.9f;
    model.pain = 500.0f;
    tick.Run();  // elapsed 0: the quiet path despite the pain
    EXPECT_EQ(tick.shownTrayIcon(), TrayIcon::Level0);
    EXPECT_TRUE(host.trayIcons.empty());
    EXPECT_EQ(PainLevel(500.0f, -0.9f), 0);
}

TEST_F(SamplingTickTest, SteadyLevelTouchesTheTrayOnlyOnce) {
    for (float pain : {35.0f, 55.0f, 95.0f}) {  // levels 2, 3 and 5
        SCOPED_TRACE(pain);
        model.pain = pain;
        host.trayIcons.clear();
        for (int i = 0; i < 20; ++i) Tick();
        EXPECT_EQ(host.trayIcons.size(), 1u);
    }
}

TEST_F(SamplingTickTest, ThirtyTickAlarmRaisesEveryTickAndFlashesOnMultiplesOf10) {
    TickUntil(4);
    model.pain = 200.0f;  // decay is 0: the alarm lasts until pain is reset
    std::vector<std::int32_t> flashTicks;
    for (int i = 0; i < 30; ++i) {
        const int before = host.flashesOn;
        Tick();
        if (host.flashesOn != before) flashTicks.push_back(tick.tickCount());
        EXPECT_EQ(flags.raisedByAlarm, 1);
    }
    EXPECT_EQ(tick.tickCount(), 34);
    EXPECT_EQ(host.raises, 30);
    EXPECT_EQ(flashTicks, (std::vector<std::int32_t>{10, 20, 30}));
    EXPECT_EQ(host.trayIcons,
              (std::vector<TrayIcon>{TrayIcon::Alarm1, TrayIcon::Alarm2, TrayIcon::Alarm1}));
    EXPECT_EQ(host.flashesOff, 0);  // the quiet ticks before the alarm had nothing to undo

    model.ResetPain();
    Tick();
    EXPECT_EQ(host.flashesOff, 1);  // the first quiet tick gives the caption its look back
    Tick();
    EXPECT_EQ(host.flashesOff, 1);  // and later ones leave it alone
    EXPECT_EQ(tick.flashPhase(), 1);
    EXPECT_EQ(host.trayIcons.back(), TrayIcon::Level0);  // the level icon comes back
}

TEST_F(SamplingTickTest, HiddenWindowGetsNoReadoutsUntilAnAlarmRaisesIt) {
    Tick();
    flags.hiddenByUser = 1;
    flags.hiddenUndisturbed = 1;
    const auto before = host.readoutLog.size();
    Tick(50, Activity(0.0f, 0.0f, 0, 0, 3));
    Tick();
    EXPECT_EQ(host.readoutLog.size(), before);
    EXPECT_EQ(tick.tickCount(), 3);  // sampling goes on all the same

    model.pain = 200.0f;
    Tick();  // the alarm shows the window: its read-outs are current again
    EXPECT_EQ(host.readouts[1002], "     4");
    EXPECT_EQ(host.readouts[1006], "   200");
    EXPECT_EQ(host.readouts[1009], "           3");

    const auto shown = host.readoutLog.size();
    tick.RefreshReadouts();  // nothing changed since: nothing is set again
    EXPECT_EQ(host.readoutLog.size(), shown);
}

TEST_F(SamplingTickTest, LevelIconReturnsAfterAnAlarmAtEveryLevel) {
    // Level 2 before and after the alarm: the alarm icon must still give way.
    model.pain = 35.0f;
    Tick();
    model.pain = 200.0f;
    TickUntil(10);
    EXPECT_EQ(tick.shownTrayIcon(), TrayIcon::Alarm1);
    model.pain = 35.0f;
    Tick();
    EXPECT_EQ(tick.shownTrayIcon(), TrayIcon::Level2);
    EXPECT_EQ(host.trayIcons.back(), TrayIcon::Level2);
}

TEST_F(SamplingTickTest, AlarmWithoutAnyQuietTickBeforeItStillStartsWithTheFirstIcon) {
    model.threshold = 0.0f;
    host.advanceOnNow = 25;  // the clock moves between the first tick's two readings
    for (int i = 0; i < 20; ++i) tick.Run();
    EXPECT_EQ(host.flashesOff, 0);  // the very first tick was an alarm already
    EXPECT_EQ(host.trayIcons, (std::vector<TrayIcon>{TrayIcon::Alarm1, TrayIcon::Alarm2}));
}

TEST_F(SamplingTickTest, ZeroIntervalDuringAnAlarmTakesTheQuietPath) {
    model.pain = 200.0f;
    TickUntil(10);  // alarm: first alarm icon
    ASSERT_EQ(tick.shownTrayIcon(), TrayIcon::Alarm1);
    const int raises = host.raises;
    Tick(0);
    EXPECT_EQ(host.raises, raises);
    EXPECT_EQ(host.flashesOff, 1);  // the caption was turned over at tick 10
    EXPECT_EQ(tick.flashPhase(), 1);
    EXPECT_EQ(tick.shownTrayIcon(), TrayIcon::Level5);
    TickUntil(20);  // the alarm carries on, from the first icon again
    EXPECT_EQ(host.raises, raises + 9);
    // The first tick measured nothing either, so it showed level 5 too.
    EXPECT_EQ(host.trayIcons, (std::vector<TrayIcon>{TrayIcon::Level5, TrayIcon::Alarm1,
                                                     TrayIcon::Level5, TrayIcon::Alarm1}));
}

TEST_F(SamplingTickTest, WindowHiddenByTheUserGoesBackOnceAfterTheAlarm) {
    flags.hiddenByUser = 1;
    flags.hiddenUndisturbed = 1;
    Tick();
    model.pain = 200.0f;
    Tick();
    EXPECT_EQ(host.raises, 1);
    EXPECT_EQ(flags.raisedByAlarm, 1);
    EXPECT_EQ(flags.hiddenUndisturbed, 0);
    EXPECT_EQ(flags.hiddenByUser, 1);

    model.pain = 40.0f;  // quiet, but still sore: the window stays up
    Tick();
    EXPECT_EQ(host.hides, 0);
    model.pain = 0.9f;
    Tick();
    EXPECT_EQ(host.hides, 1);
    EXPECT_EQ(flags.raisedByAlarm, 0);
    for (int i = 0; i < 5; ++i) Tick();
    EXPECT_EQ(host.hides, 1);
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
        FakeTickHost host;
        WindowFlags flags = c.beforeAlarm;
        SamplingTick tick{host, model, flags, store};
        tick.Run();
        model.pain = 200.0f;
        host.now = Later(host.now, 50);
        tick.Run();
        ASSERT_EQ(host.raises, 1);
        flags.hiddenByUser = c.userAfter;
        flags.hiddenUndisturbed = c.undisturbedAfter;
        model.pain = 0.0f;
        for (int i = 0; i < 3; ++i) {
            host.now = Later(host.now, 50);
            tick.Run();
        }
        EXPECT_EQ(host.hides, 0);
        EXPECT_EQ(flags.raisedByAlarm, 1);
    }
}

TEST_F(SamplingTickTest, ReadoutsUseTheirFixedWidthFormatsInOrder) {
    model.movePain = 0.0f;  // keep the pain where the test puts it
    model.dragPain = 0.0f;
    model.clickPain = 0.0f;
    model.doubleclickPain = 0.0f;
    model.pain = 41.7f;
    tick.Run();
    std::vector<int> order;
    for (const auto& set : host.readoutLog) order.push_back(set.first);
    EXPECT_EQ(order, (std::vector<int>{1002, 1004, 1001, 1005, 1006, 1007, 1009}));

    TickUntil(6);
    Tick(50, Activity(99.6f, 0.4f, 3, 1, 0));
    const std::map<int, std::string> expected = {
        {1002, "     7"}, {1004, "   100"},       {1001, "     0"},       {1005, " 3  1"},
        {1006, "    41"}, {1007, "        1000"}, {1009, "           0"},
    };
    EXPECT_EQ(host.readouts, expected);
}

TEST_F(SamplingTickTest, ReadoutsShowNegativeAndWideValues) {
    model.totalKeys = -12;
    model.totalDistance = 2147483647 - 12345670;
    model.keyboardPain = 0.0f;
    tick.Run();
    Tick(50, Activity(0.0f, 1234567.0f, -1, 1, 0));
    EXPECT_EQ(host.readouts[1005], "-1  1");
    EXPECT_EQ(host.readouts[1001], "1234567");
    EXPECT_EQ(host.readouts[1009], "         -12");
    EXPECT_EQ(host.readouts[1007], "  2147483647");
}

TEST_F(SamplingTickTest, UnchangedReadoutsAreNotSetAgain) {
    tick.Run();
    EXPECT_EQ(host.readoutLog.size(), 7u);
    host.readoutLog.clear();
    Tick();
    ASSERT_EQ(host.readoutLog.size(), 1u);
    EXPECT_EQ(host.readoutLog[0].first, 1002);
    host.readoutLog.clear();
    Tick(50, Activity(0.0f, 0.0f, 0, 0, 1));  // pain and total keys change too
    std::vector<int> controls;
    for (const auto& set : host.readoutLog) controls.push_back(set.first);
    EXPECT_EQ(controls, (std::vector<int>{1002, 1006, 1009}));

    model.movePain = 0.0f;
    Tick(50, Activity(99.6f, 0.0f, 0, 0, 0));
    host.readoutLog.clear();
    Tick(50, Activity(100.4f, 0.0f, 0, 0, 0));  // another value, the same text
    controls.clear();
    for (const auto& set : host.readoutLog) controls.push_back(set.first);
    EXPECT_EQ(controls, (std::vector<int>{1002, 1007}));
    EXPECT_EQ(host.readouts[1004], "   100");
}

TEST_F(SamplingTickTest, TotalsAreSavedOnEveryHundredthTick) {
    model.totalDistance = 1234;
    TickUntil(99);
    EXPECT_TRUE(store.writes.empty());
    Tick(50, Activity(0.0f, 0.0f, 0, 0, 3));
    ASSERT_EQ(store.writes.size(), 2u);
    EXPECT_EQ(store.writes[0].section, "Main");
    EXPECT_EQ(store.writes[0].key, "Distance");
    EXPECT_EQ(store.writes[0].value, 1234);
    EXPECT_EQ(store.writes[1].section, "Main");
    EXPECT_EQ(store.writes[1].key, "TotalKeys");
    EXPECT_EQ(store.writes[1].value, 3);
    EXPECT_EQ(store.ReadInt("Main", "TotalKeys", -1), 3);
    TickUntil(199);
    EXPECT_EQ(store.writes.size(), 2u);
    Tick();
    EXPECT_EQ(store.writes.size(), 4u);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(SamplingTickTest, EachFailedWriteIsReportedThenTheTickCarriesOn) {
    store.failWrites = true;
    TickUntil(100);
    EXPECT_EQ(host.messages, (std::vector<std::string>{kWriteFailed, kWriteFailed}));
    EXPECT_FALSE(tick.messageOpen());
    Tick();
    EXPECT_EQ(tick.tickCount(), 101);
    EXPECT_EQ(host.messages.size(), 2u);
}

TEST_F(SamplingTickTest, TicksInsideAnOpenMessageOpenNoFurtherOne) {
    store.failWrites = true;
    int depth = 0, deepest = 0;
    bool nestedRun = false;
    host.onMessage = [&] {
        ++depth;
        deepest = std::max(deepest, depth);
        EXPECT_TRUE(tick.messageOpen());
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
    EXPECT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(store.writes.size(), 6u);  // every save was still tried
    EXPECT_EQ(store.writes[1].key, "Distance");
    EXPECT_EQ(store.writes[5].key, "TotalKeys");
}

TEST_F(SamplingTickTest, SavesResumeTheirMessagesOnceNoneIsOpen) {
    store.failWrites = true;
    TickUntil(100);
    TickUntil(200);
    EXPECT_EQ(host.messages.size(), 4u);
}

TEST(TrayIconResourceTest, MapsEachIconToItsResource) {
    const std::pair<TrayIcon, int> cases[] = {
        {TrayIcon::Level0, 132}, {TrayIcon::Level1, 135}, {TrayIcon::Level2, 136},
        {TrayIcon::Level3, 137}, {TrayIcon::Level4, 138}, {TrayIcon::Level5, 139},
        {TrayIcon::Alarm1, 133}, {TrayIcon::Alarm2, 134},
    };
    for (const auto& c : cases) EXPECT_EQ(TrayIconResource(c.first), c.second);
}

}  // namespace
}  // namespace tavrel
