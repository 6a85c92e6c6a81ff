// SPDX-License-Identifier: GPL-3.0-or-later
// The alarm that leaves the user's work alone, through the controller over the shared fakes:
// it never takes the keyboard, quiet times hold it without losing it, a pause ends by itself
// and outlives a restart, the window says how long to rest, and the user may choose a
// notification instead of the window.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "monitor_controller_fixture.h"

namespace tavrel {
namespace controller_test {
namespace {

class QuietAlarmTest : public MonitorControllerTest {
  protected:
    // One tick with this many keystrokes, ten pain each.
    void Tick(int keys = 0) { TickWithKeys(keys); }
};

TEST_F(QuietAlarmTest, TheAlarmShowsTheWindowWithoutTakingTheKeyboardTheUserStillDoes) {
    Start();
    controller->HideToTray();
    Tick(20);
    for (int i = 0; i < 30; ++i) Tick(1);
    EXPECT_TRUE(window.visible);
    EXPECT_GT(window.raises, 30);
    EXPECT_EQ(window.focusTaken, 0);
    EXPECT_GT(window.flashesOn, 0);

    controller->OnTrayActivated();
    EXPECT_EQ(window.focusTaken, 1);
}

TEST_F(QuietAlarmTest, EachQuietTimeHoldsTheAlarmAndSaysWhyAndTheAlarmComesWhenItEnds) {
    struct Case {
        QuietReason busy;
        const char* line;
    };
    const Case cases[] = {
        {QuietReason::FullscreenProgram, "Alarm held: a fullscreen program."},
        {QuietReason::DoNotDisturb, "Alarm held: Do Not Disturb is on."},
        {QuietReason::KeptAwake, "Alarm held: a call, a video or a slide show."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QuietReasonWords(c.busy));
        window = FakeMainWindow{};
        tray = FakeTray{};
        quiet.busy = c.busy;
        quiet.asked = 0;
        Start();
        Tick(30);  // pain 300 of 100: an alarm, held
        for (int i = 0; i < 45; ++i) Tick(1);
        EXPECT_EQ(window.raises, 0);
        EXPECT_EQ(window.flashesOn, 0);
        EXPECT_EQ(tray.icon, TrayIcon::Level5) << "the level goes on, the blinking waits";
        EXPECT_EQ(controller->model().pain, 750.0f)
            << "held, the pain is neither reset nor changed";
        EXPECT_EQ(quiet.asked, 3) << "asked at the start and once a second, not every tick";
        EXPECT_EQ(window.alarmStatus.rfind(c.line, 0), 0u) << window.alarmStatus;
        controller->OnTrayPointed();
        EXPECT_NE(tray.tip.find(std::string(c.line, std::string(c.line).size() - 1)),
                  std::string::npos)
            << tray.tip;

        quiet.busy = QuietReason::None;
        controller->OnDesktopQuietChanged();
        Tick(0);  // the quiet time ended: the alarm comes at once
        EXPECT_EQ(window.raises, 1);
        EXPECT_EQ(window.focusTaken, 0);
        controller.reset();
    }
}

TEST_F(QuietAlarmTest, TheTipKeepsWholeLinesWithinWhatEveryNotificationAreaShows) {
    source.status.health = CaptureHealth::PartlyCounting;
    source.status.brief = "X11 programs only: another session is in front";  // 46 characters
    quiet.busy = QuietReason::KeptAwake;
    Start();
    controller->model().decay = 0.0f;
    Tick(30);
    controller->OnTrayPointed();
    // The first line and why the alarm is held fit in Windows' 127 characters; the third
    // line would not, and is left out whole rather than cut.
    EXPECT_EQ(tray.tip,
              "Tavrel : 300 (X11 programs only: another session is in front)\n"
              "Alarm held: a call, a video or a slide show");
    controller->model().decay = 0.1f;
    controller->model().pain = 60000.0f;
    for (int i = 0; i < 20; ++i) Tick(0);
    controller->OnTrayPointed();
    EXPECT_EQ(tray.tip,
              "Tavrel : 59910 (X11 programs only: another session is in front)\n"
              "Alarm held: a call, a video or a slide show\nRest 9 min 59 s");
}

TEST_F(QuietAlarmTest, WithoutAnAlarmTheDesktopIsNeverAsked) {
    Start();
    for (int i = 0; i < 100; ++i) Tick(i % 10 == 0 ? 1 : 0);
    EXPECT_EQ(quiet.asked, 0);
}

TEST_F(QuietAlarmTest, APauseHoldsAlarmsUntilItEndsByItselfAndOutlivesARestart) {
    clock.now = At(10, 13, 10, 0, 0);  // 14:10 local
    clock.utcOffsetMinutes = 60;
    Start();
    controller->OnPauseAlarms(PauseLength::ThirtyMinutes);
    EXPECT_EQ(store.data.ReadString("Main", "PausedUntil", ""), "2024-06-10T13:40:00Z");
    EXPECT_EQ(window.alarmStatus, "Alarms paused until 14:40.");
    EXPECT_NE(tray.tip.find("Alarms paused until 14:40"), std::string::npos) << tray.tip;

    Tick(30);  // counting never pauses
    EXPECT_EQ(controller->model().totalKeys, 30);
    EXPECT_EQ(window.raises, 0);
    EXPECT_EQ(quiet.asked, 0) << "a pause needs no desktop";
    EXPECT_EQ(window.alarmStatus.rfind("Alarms paused until 14:40. Rest ", 0), 0u)
        << window.alarmStatus;

    // A restart keeps the pause.
    controller.reset();
    Start();
    EXPECT_TRUE(controller->alarmPreferences().paused());
    EXPECT_EQ(window.alarmStatus, "Alarms paused until 14:40.");

    // Half an hour later it ends by itself, and an alarm under way comes at once.
    controller->model().decay = 0.0f;
    Tick(30);
    EXPECT_EQ(window.raises, 0);
    clock.Advance(30 * 60 * 1000);
    Tick(0);
    EXPECT_FALSE(controller->alarmPreferences().paused());
    EXPECT_EQ(store.data.ReadString("Main", "PausedUntil", "?"), "");
    EXPECT_GT(window.raises, 0);
}

TEST_F(QuietAlarmTest, PausesEndAtTheirTimeOrAtLocalMidnightAndResumeEndsThemAtOnce) {
    struct Case {
        PauseLength length;
        int offset;  // local minus UTC, minutes
        const char* stored;
        const char* shown;
    };
    // At 2024-06-10 21:50 UTC.
    const Case cases[] = {
        {PauseLength::ThirtyMinutes, 0, "2024-06-10T22:20:00Z", "22:20"},
        {PauseLength::OneHour, 0, "2024-06-10T22:50:00Z", "22:50"},
        {PauseLength::UntilTomorrow, 0, "2024-06-11T00:00:00Z", "midnight"},
        {PauseLength::UntilTomorrow, 120, "2024-06-10T22:00:00Z", "midnight"},  // 23:50 local
        {PauseLength::UntilTomorrow, -300, "2024-06-11T05:00:00Z", "midnight"},
        {PauseLength::OneHour, 330, "2024-06-10T22:50:00Z", "04:20"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        clock.now = At(10, 21, 50, 0, 0);
        clock.utcOffsetMinutes = c.offset;
        Start();
        controller->OnPauseAlarms(c.length);
        EXPECT_EQ(store.data.ReadString("Main", "PausedUntil", ""), c.stored);
        EXPECT_STREQ(controller->alarmPreferences().pausedUntilText(), c.shown);
        controller->OnResumeAlarms();
        EXPECT_FALSE(controller->alarmPreferences().paused());
        EXPECT_EQ(store.data.ReadString("Main", "PausedUntil", "?"), "");
        EXPECT_EQ(window.alarmStatus, "");
        controller.reset();
    }
}

TEST_F(QuietAlarmTest, AStoredPauseThatCannotBeOneIsNone) {
    const char* const stored[] = {
        "2024-06-10T11:59:59Z",  // over
        "2024-06-11T13:00:01Z",  // longer than any pause: the clock went back
        "2024-02-30T12:30:00Z",  // no such day
        "2024-06-10 12:30:00Z",  // not the stored form
        "tomorrow",
    };
    for (const char* text : stored) {
        SCOPED_TRACE(text);
        clock.now = At(10, 12, 0, 0, 0);
        store.data.WriteString("Main", "PausedUntil", text);
        Start();
        EXPECT_FALSE(controller->alarmPreferences().paused());
        EXPECT_EQ(store.data.ReadString("Main", "PausedUntil", "?"), "");
        controller.reset();
    }
}

TEST_F(QuietAlarmTest, TheWindowSaysHowLongToRestCountingDownAsTheUserRests) {
    Start();
    controller->model().decay = 0.1f;  // a Decay of 1: five pain a tick
    Tick(20);                          // pain 200 of 100: 100 ms to the break, 21 ticks after
    EXPECT_EQ(window.alarmStatus, "Rest 2 s to bring the pain below the threshold.");
    Tick(50);  // pain 700
    for (int i = 0; i < 10; ++i) Tick(0);
    std::vector<std::string> seen{window.alarmStatus};
    for (int i = 0; i < 200 && controller->model().pain >= 100.0f; ++i) {
        Tick(0);
        if (seen.back() != window.alarmStatus) seen.push_back(window.alarmStatus);
    }
    const std::string tail = " to bring the pain below the threshold.";
    EXPECT_EQ(seen, (std::vector<std::string>{"Rest 6 s" + tail, "Rest 5 s" + tail,
                                              "Rest 4 s" + tail, "Rest 3 s" + tail,
                                              "Rest 2 s" + tail, "Rest 1 s" + tail, ""}));

    controller->model().decay = 0.0f;
    Tick(20);
    EXPECT_EQ(window.alarmStatus, "Only RESET lowers the pain: its decay is 0.");
}

TEST_F(QuietAlarmTest, WithTheWindowsChoiceOffTheTrayBlinksAndTheWindowStaysAway) {
    Start();
    controller->HideToTray();
    controller->OnBringToFrontChosen(false);
    EXPECT_EQ(store.data.ReadInt("Main", "AlarmToFront", -1), 0);
    for (int i = 0; i < 30; ++i) Tick(i == 0 ? 20 : 1);
    EXPECT_FALSE(window.visible);
    EXPECT_EQ(window.raises, 0);
    EXPECT_EQ(window.flashesOn, 0);
    EXPECT_NE(std::count(tray.icons.begin(), tray.icons.end(), TrayIcon::Alarm1), 0);

    controller->OnBringToFrontChosen(true);
    Tick(1);
    EXPECT_TRUE(window.visible);
    EXPECT_EQ(window.focusTaken, 0);
}

}  // namespace
}  // namespace controller_test
}  // namespace tavrel
