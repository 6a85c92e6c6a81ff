// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's life: start-up, hiding to the tray and coming back, alarms that raise
// the window and send it back, a source that cannot count, and the debugging button,
// driven with the tick over the shared fakes.
#include "tavrel/monitor_controller.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitor_controller_fixture.h"

namespace tavrel {
namespace controller_test {
namespace {

TEST_F(MonitorControllerTest, StartUpCountsLoadsTheStoredTotalsAndDefaultsAndShowsTheIcon) {
    store.data.WriteInt("Main", "Distance", 1234);
    store.data.WriteInt("Main", "TotalKeys", 56);
    Start();

    EXPECT_EQ(source.starts, 1);
    EXPECT_TRUE(source.running);
    EXPECT_EQ(controller->model().totalDistance, 1234);
    EXPECT_EQ(controller->model().totalKeys, 56);
    EXPECT_EQ(controller->model().pain, 0.0f);
    EXPECT_EQ(controller->model().screenWidth, 1024.0f);
    EXPECT_EQ(store.data.ReadString("Main", "Set", ""), "Good");
    EXPECT_TRUE(view.IsChecked(SetButton::Normal));
    EXPECT_FALSE(view.IsChecked(SetButton::Painful));
    EXPECT_FALSE(view.saveEnabled);
    for (SettingId field : {SettingId::Threshold, SettingId::Decay, SettingId::BreakLimit}) {
        EXPECT_EQ(view.fields[field], "100") << static_cast<int>(field);
    }
    for (SettingId field : {SettingId::ClickPain, SettingId::DoubleclickPain,
                            SettingId::KeyboardPain, SettingId::MovePain, SettingId::DragPain}) {
        EXPECT_EQ(view.fields[field], "10") << static_cast<int>(field);
    }
    EXPECT_EQ(tray.tip, "Tavrel");
    EXPECT_EQ(tray.icon, TrayIcon::Level0);
    EXPECT_TRUE(tray.shown);
    EXPECT_TRUE(timer.running);
    EXPECT_TRUE(window.visible);
    EXPECT_EQ(window.captureNotice, "");
    ExpectFlags(0, 0, 0);
}

TEST_F(MonitorControllerTest, TimerFailureIsReportedAndTheTrayIconStillComes) {
    timer.fails = true;
    Start();
    EXPECT_EQ(window.messages, (std::vector<std::string>{"Can't start Timer"}));
    EXPECT_TRUE(tray.shown);
}

TEST_F(MonitorControllerTest, HidingToTheTrayKeepsSampling) {
    Start();
    const int shows = tray.shows;
    controller->HideToTray();
    EXPECT_EQ(tray.shows, shows + 1) << "the icon is sent again as it is";
    EXPECT_EQ(tray.tip, "Tavrel");
    EXPECT_FALSE(window.visible);
    ExpectFlags(1, 1, 0);

    Tick();
    Tick();
    EXPECT_EQ(controller->tick().tickCount(), 3);
    EXPECT_TRUE(tray.shown);
    EXPECT_EQ(window.readouts[Readout::TickCount], "     1")
        << "a hidden window's read-outs are left alone";

    controller->OnTrayActivated();
    EXPECT_EQ(window.readouts[Readout::TickCount], "     3")
        << "and brought up to date as it is shown";
}

TEST_F(MonitorControllerTest, PointingAtTheTrayIconRefreshesTheTipWithTheTruncatedPain) {
    struct Case {
        float pain;
        const char* tip;
    };
    const Case cases[] = {{0.99f, "Tavrel : 0"}, {12.7f, "Tavrel : 12"}, {41.0f, "Tavrel : 41"}};
    Start();
    controller->HideToTray();
    for (const Case& c : cases) {
        controller->model().pain = c.pain;
        controller->OnTrayPointed();
        EXPECT_EQ(tray.tip, c.tip);
        EXPECT_FALSE(window.visible) << "only an activation brings the window back";
        ExpectFlags(1, 1, 0);
    }
}

TEST_F(MonitorControllerTest, TrayActivationShowsTheWindowAndKeepsTheAlarmFlag) {
    Start();
    TickWithKeys(10);  // alarm while shown
    ExpectFlags(0, 0, 1);
    controller->model().ResetPain();
    Tick();
    controller->HideToTray();
    ExpectFlags(1, 1, 1);

    controller->OnTrayActivated();
    EXPECT_TRUE(window.visible);
    ExpectFlags(0, 0, 1);
    const int raises = window.raises;
    controller->OnTrayActivated();  // already visible: shown again all the same
    EXPECT_EQ(window.raises, raises + 1);
    ExpectFlags(0, 0, 1);
}

TEST_F(MonitorControllerTest, AlarmRaisesTheHiddenWindowWhichHidesItselfOnceWhenPainFallsBelowOne) {
    store.data.WriteInt("Good", "Decay", 1);  // 0.1 pain per idle millisecond: 5 a tick
    Start();
    controller->HideToTray();
    TickWithKeys(10);
    EXPECT_TRUE(window.visible);
    ExpectFlags(1, 0, 1);

    // Idle ticks: two within the break limit (alarm goes on), then pain falls by 5 a tick.
    for (int i = 0; i < 10; ++i) Tick();
    EXPECT_TRUE(window.visible) << "stays up while pain is 1 or more";
    ExpectFlags(1, 0, 1);
    for (int i = 0; i < 30; ++i) Tick();
    EXPECT_EQ(controller->model().pain, 0.0f);
    EXPECT_FALSE(window.visible);
    EXPECT_EQ(window.hides, 2) << "the user's hide and one send-back";
    ExpectFlags(1, 0, 0);
}

TEST_F(MonitorControllerTest, ActivationBeforePainFallsKeepsTheWindowUpForGood) {
    Start();
    controller->HideToTray();
    TickWithKeys(10);
    controller->OnTrayActivated();
    ExpectFlags(0, 0, 1);
    for (int i = 0; i < 10; ++i) Tick();
    EXPECT_EQ(controller->model().pain, 0.0f);
    EXPECT_TRUE(window.visible);
    EXPECT_EQ(window.hides, 1);
}

TEST_F(MonitorControllerTest, AlarmWhileShownTakesEffectOnlyAfterTheNextHideAndAlarm) {
    Start();
    TickWithKeys(10);
    for (int i = 0; i < 5; ++i) Tick();
    EXPECT_TRUE(window.visible);
    EXPECT_EQ(window.hides, 0);
    ExpectFlags(0, 0, 1);

    controller->HideToTray();
    for (int i = 0; i < 5; ++i) Tick();
    EXPECT_FALSE(window.visible) << "D = 1: no send-back needed, the window stays hidden";
    TickWithKeys(10);
    EXPECT_TRUE(window.visible);
    for (int i = 0; i < 5; ++i) Tick();
    EXPECT_FALSE(window.visible);
}

TEST_F(MonitorControllerTest, HidingDuringAnAlarmLastsOneTick) {
    Start();
    TickWithKeys(10);
    controller->HideToTray();
    EXPECT_FALSE(window.visible);
    Tick();  // still in alarm: idle time within the break limit
    EXPECT_TRUE(window.visible);
    ExpectFlags(1, 0, 1);
}

TEST_F(MonitorControllerTest, TheIconComesBackWhenTheNotificationAreaRestarts) {
    Start();
    TickWithKeys(3);  // level 1 at 30 pain
    const TrayIcon icon = tray.icon;
    tray.shown = false;  // the area's host went away and took the icon with it
    controller->OnTrayRestarted();
    EXPECT_TRUE(tray.shown);
    EXPECT_EQ(tray.icon, icon);
}

TEST_F(MonitorControllerTest, WithoutANotificationAreaHidingMinimisesAndSaysSoOnce) {
    tray.available = false;
    Start();
    controller->HideToTray();
    controller->HideToTray();
    EXPECT_TRUE(window.visible);
    EXPECT_TRUE(window.minimized);
    EXPECT_EQ(window.messages, (std::vector<std::string>{kNoTrayText}));
    ExpectFlags(0, 0, 0);
}

TEST_F(MonitorControllerTest, ASourceThatCannotCountSaysSoInTheWindowAndTheTip) {
    source.status = {CaptureHealth::NotCounting, "Tavrel is not counting: no X display."};
    Start();
    EXPECT_EQ(window.captureNotice, "Tavrel is not counting: no X display.");
    EXPECT_EQ(tray.tip, "Tavrel : 0 (not counting)");

    // Counting again later: within a second, the notice goes.
    source.status = {};
    for (int i = 0; i < 20; ++i) Tick();
    EXPECT_EQ(window.captureNotice, "");
    controller->OnTrayPointed();
    EXPECT_EQ(tray.tip, "Tavrel : 0");
}

TEST_F(MonitorControllerTest, ANewReasonOfTheSameHealthReplacesTheNoticeAndTheTipNote) {
    source.status = {CaptureHealth::NotCounting, "Tavrel is not counting: the service is away.",
                     "not counting: no service"};
    Start();
    EXPECT_EQ(tray.tip, "Tavrel : 0 (not counting: no service)");

    source.status = {CaptureHealth::NotCounting, "Tavrel is not counting: another session.",
                     "not counting: another session is in front"};
    for (int i = 0; i < 20; ++i) Tick();
    EXPECT_EQ(window.captureNotice, "Tavrel is not counting: another session.");
    controller->OnTrayPointed();
    EXPECT_EQ(tray.tip, "Tavrel : 0 (not counting: another session is in front)");

    // A note while everything is counted shows in the window, never in the tip.
    source.status = {CaptureHealth::Counting, "Distances are hand travel.", "ignored"};
    for (int i = 0; i < 20; ++i) Tick();
    EXPECT_EQ(window.captureNotice, "Distances are hand travel.");
    controller->OnTrayPointed();
    EXPECT_EQ(tray.tip, "Tavrel : 0");
}

TEST_F(MonitorControllerTest, DebugButtonAlternatesItsCaptionAndNothingElse) {
    Start();
    const auto log = window.readoutLog.size();
    const char* expected[] = {"Hide Debugging &Info", "Show Debugging &Info",
                              "Hide Debugging &Info"};
    for (const char* caption : expected) {
        controller->OnDebugInfo();
        EXPECT_EQ(window.debugCaption, caption);
    }
    EXPECT_EQ(window.readoutLog.size(), log);
    EXPECT_TRUE(window.visible);
}

TEST_F(MonitorControllerTest, LeavingTheRunAnyOtherWayRemovesTheTrayIcon) {
    Start();
    controller.reset();
    EXPECT_FALSE(tray.shown);
    EXPECT_EQ(tray.removes, 1);
}

}  // namespace
}  // namespace controller_test
}  // namespace tavrel
