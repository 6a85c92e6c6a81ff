// The main window's life: start-up, hiding to the tray and coming back, alarms that raise
// the window and send it back, Quit, and the debugging button, driven with the tick.
#include "tavrel/monitor_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "fake_monitor_host.h"
#include "tavrel/memory_store.h"

namespace tavrel {
namespace {

using testing::FakeMonitorHost;

// A memory store whose writes can be made to fail.
class FlakyStore final : public MemoryStore {
  public:
    bool failWrites = false;
    bool WriteInt(const char* section, const char* key, std::int32_t value) override {
        return !failWrites && MemoryStore::WriteInt(section, key, value);
    }
    bool WriteString(const char* section, const char* key, const char* value) override {
        return !failWrites && MemoryStore::WriteString(section, key, value);
    }
};

class MonitorDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { idleMs = 0; }

    MonitorDialog& Start() {
        dialog = std::make_unique<MonitorDialog>(host, store);
        dialog->OnInitDialog();
        dialog->OnTimer();  // the first tick only reads the clock
        return *dialog;
    }
    void Tick(int ms = 50) {
        host.Advance(ms);
        dialog->OnTimer();
    }
    // One interval with ten keystrokes: 100 pain with the default weights, an alarm at the
    // default threshold of 100.
    void TickWithKeys(int keys) {
        host.pending.keys = keys;
        Tick();
    }
    int Count(const std::string& call) const {
        return static_cast<int>(std::count(host.calls.begin(), host.calls.end(), call));
    }
    void ExpectFlags(int u, int d, int a) const {
        EXPECT_EQ(dialog->flags().hiddenByUser, u);
        EXPECT_EQ(dialog->flags().hiddenUndisturbed, d);
        EXPECT_EQ(dialog->flags().raisedByAlarm, a);
    }

    FakeMonitorHost host;
    FlakyStore store;
    std::unique_ptr<MonitorDialog> dialog;
};

TEST_F(MonitorDialogTest, StartUpRunsInOrderAndLoadsTheStoredTotalsAndDefaults) {
    store.WriteInt("Main", "Distance", 1234);
    store.WriteInt("Main", "TotalKeys", 56);
    Start();

    const std::vector<std::string> lifecycle = {"about-menu", "load-icons", "load-library",
                                                "init-hooks", "tray-fill",  "start-timer",
                                                "tray-add"};
    std::vector<std::string> seen;
    for (const std::string& call : host.calls) {
        if (std::find(lifecycle.begin(), lifecycle.end(), call) != lifecycle.end()) {
            seen.push_back(call);
        }
    }
    EXPECT_EQ(seen, lifecycle);
    EXPECT_EQ(dialog->model().totalDistance, 1234);
    EXPECT_EQ(dialog->model().totalKeys, 56);
    EXPECT_EQ(dialog->model().pain, 0.0f);
    EXPECT_EQ(dialog->model().screenWidth, 1024.0f);
    EXPECT_EQ(store.ReadString("Main", "Set", ""), "Good");
    EXPECT_TRUE(host.checked[1023]);
    EXPECT_FALSE(host.checked[1022]);
    EXPECT_FALSE(host.saveEnabled);
    for (int field : {1011, 1013, 1015}) EXPECT_EQ(host.texts[field], "100") << field;
    for (int field : {1017, 1018, 1019, 1020, 1021}) EXPECT_EQ(host.texts[field], "10") << field;
    EXPECT_EQ(host.trayTip, "Tavrel");
    EXPECT_TRUE(host.trayShown);
    EXPECT_TRUE(host.timerRunning);
    EXPECT_TRUE(host.visible);
    ExpectFlags(0, 0, 0);
}

TEST_F(MonitorDialogTest, TimerFailureIsReportedAndTheTrayIconStillComes) {
    host.timerFails = true;
    Start();
    const auto message =
        std::find(host.calls.begin(), host.calls.end(), "message Can't start Timer");
    const auto trayAdd = std::find(host.calls.begin(), host.calls.end(), "tray-add");
    ASSERT_NE(message, host.calls.end());
    ASSERT_NE(trayAdd, host.calls.end());
    EXPECT_LT(message, trayAdd);
}

TEST_F(MonitorDialogTest, HidingToTheTrayKeepsSampling) {
    Start();
    host.calls.clear();
    dialog->OnCancel();
    EXPECT_EQ(host.calls, (std::vector<std::string>{"tray-modify Tavrel", "hide"}));
    EXPECT_FALSE(host.visible);
    ExpectFlags(1, 1, 0);

    Tick();
    Tick();
    EXPECT_EQ(dialog->tick().tickCount(), 3);
    EXPECT_TRUE(host.trayShown);
    EXPECT_EQ(host.texts[1002], "     1") << "a hidden window's read-outs are left alone";

    dialog->OnTrayNotify(0x203);
    EXPECT_EQ(host.texts[1002], "     3") << "and brought up to date as it is shown";
}

TEST_F(MonitorDialogTest, PointingAtTheTrayIconRefreshesTheTipWithTheTruncatedPain) {
    struct Case {
        float pain;
        int mouseMessage;
        const char* tip;
    };
    const Case cases[] = {{0.99f, 0x200, "Tavrel : 0"},
                          {12.7f, 0x200, "Tavrel : 12"},
                          {12.7f, 0x201, "Tavrel : 12"},
                          {41.0f, 0x204, "Tavrel : 41"}};
    Start();
    dialog->OnCancel();
    for (const Case& c : cases) {
        host.calls.clear();
        dialog->model().pain = c.pain;
        dialog->OnTrayNotify(c.mouseMessage);
        EXPECT_EQ(host.calls, (std::vector<std::string>{std::string("tray-modify ") + c.tip}));
        EXPECT_FALSE(host.visible) << "only a double-click brings the window back";
        ExpectFlags(1, 1, 0);
    }
}

TEST_F(MonitorDialogTest, TrayDoubleClickShowsTheWindowAndKeepsTheAlarmFlag) {
    Start();
    TickWithKeys(10);  // alarm while shown
    ExpectFlags(0, 0, 1);
    dialog->model().ResetPain();
    Tick();
    dialog->OnCancel();
    ExpectFlags(1, 1, 1);

    dialog->OnTrayNotify(0x203);
    EXPECT_TRUE(host.visible);
    ExpectFlags(0, 0, 1);
    dialog->OnTrayNotify(0x203);  // already visible: shown again all the same
    EXPECT_EQ(Count("raise") >= 2, true);
    ExpectFlags(0, 0, 1);
}

TEST_F(MonitorDialogTest, AlarmRaisesTheHiddenWindowWhichHidesItselfOnceWhenPainFallsBelowOne) {
    store.WriteInt("Good", "Decay", 1);  // 0.1 pain per idle millisecond: 5 a tick
    Start();
    dialog->OnCancel();
    TickWithKeys(10);
    EXPECT_TRUE(host.visible);
    ExpectFlags(1, 0, 1);

    // Idle ticks: two within the break limit (alarm goes on), then pain falls by 5 a tick.
    for (int i = 0; i < 10; ++i) Tick();
    EXPECT_TRUE(host.visible) << "stays up while pain is 1 or more";
    ExpectFlags(1, 0, 1);
    for (int i = 0; i < 30; ++i) Tick();
    EXPECT_EQ(dialog->model().pain, 0.0f);
    EXPECT_FALSE(host.visible);
    EXPECT_EQ(Count("hide"), 2) << "the user's hide and one send-back";
    ExpectFlags(1, 0, 0);
}

TEST_F(MonitorDialogTest, DoubleClickBeforePainFallsKeepsTheWindowUpForGood) {
    Start();
    dialog->OnCancel();
    TickWithKeys(10);
    dialog->OnTrayNotify(0x203);
    ExpectFlags(0, 0, 1);
    for (int i = 0; i < 10; ++i) Tick();
    EXPECT_EQ(dialog->model().pain, 0.0f);
    EXPECT_TRUE(host.visible);
    EXPECT_EQ(Count("hide"), 1);
}

TEST_F(MonitorDialogTest, AlarmWhileShownTakesEffectOnlyAfterTheNextHideAndAlarm) {
    Start();
    TickWithKeys(10);
    for (int i = 0; i < 5; ++i) Tick();
    EXPECT_TRUE(host.visible);
    EXPECT_EQ(Count("hide"), 0);
    ExpectFlags(0, 0, 1);

    dialog->OnCancel();
    for (int i = 0; i < 5; ++i) Tick();
    EXPECT_FALSE(host.visible) << "D = 1: no send-back needed, the window stays hidden";
    TickWithKeys(10);
    EXPECT_TRUE(host.visible);
    for (int i = 0; i < 5; ++i) Tick();
    EXPECT_FALSE(host.visible);
}

TEST_F(MonitorDialogTest, HidingDuringAnAlarmLastsOneTick) {
    Start();
    TickWithKeys(10);
    dialog->OnCancel();
    EXPECT_FALSE(host.visible);
    Tick();  // still in alarm: idle time within the break limit
    EXPECT_TRUE(host.visible);
    ExpectFlags(1, 0, 1);
}

TEST_F(MonitorDialogTest, QuitWithoutEditsStoresTheTotalsAndShutsDownInOrder) {
    Start();
    host.pending.moveDistance = 100.0f;
    host.pending.keys = 3;
    Tick();
    host.calls.clear();

    EXPECT_TRUE(dialog->OnQuit());
    EXPECT_EQ(host.calls, (std::vector<std::string>{"stop-timer", "tray-delete", "kill-hooks",
                                                    "free-library", "end-dialog"}));
    EXPECT_EQ(store.ReadInt("Main", "Distance", -1), 1000);
    EXPECT_EQ(store.ReadInt("Main", "TotalKeys", -1), 3);
    dialog.reset();
    EXPECT_EQ(Count("tray-delete"), 1) << "the icon is gone already";
}

TEST_F(MonitorDialogTest, QuitWithEditsFollowsTheAnswer) {
    struct Case {
        Answer answer;
        bool ends;
        std::int32_t storedThreshold;
    };
    const Case cases[] = {{Answer::Yes, true, 50},
                          {Answer::No, true, -1},
                          {Answer::Cancel, false, -1},
                          {Answer::Other, true, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.answer));
        host = FakeMonitorHost();
        store = FlakyStore();
        Start();
        host.texts[1011] = "50";
        dialog->settings().CommitSettingField(1011);
        host.answer = c.answer;

        EXPECT_EQ(dialog->OnQuit(), c.ends);
        EXPECT_EQ(Count("end-dialog"), c.ends ? 1 : 0);
        EXPECT_EQ(host.timerRunning, !c.ends);
        EXPECT_EQ(host.trayShown, !c.ends);
        EXPECT_EQ(store.ReadInt("Good", "Threshold", -1), c.storedThreshold);
        if (!c.ends) {
            EXPECT_TRUE(host.saveEnabled);
        }
    }
}

TEST_F(MonitorDialogTest, QuitReportsTotalsThatCouldNotBeStoredAndStillEnds) {
    Start();
    store.failWrites = true;
    EXPECT_TRUE(dialog->OnQuit());
    EXPECT_EQ(host.messages, (std::vector<std::string>{"Can't write to INI file?"}));
    EXPECT_EQ(Count("end-dialog"), 1);
}

TEST_F(MonitorDialogTest, DebugButtonAlternatesItsCaptionAndNothingElse) {
    Start();
    host.calls.clear();
    const char* expected[] = {"Hide Debugging &Info", "Show Debugging &Info",
                              "Hide Debugging &Info"};
    for (const char* caption : expected) {
        dialog->OnDebugInfo();
        EXPECT_EQ(host.texts[kDebugInfoButton], caption);
    }
    EXPECT_TRUE(host.calls.empty());
    EXPECT_TRUE(host.visible);
}

TEST_F(MonitorDialogTest, LeavingTheModalRunAnyOtherWayRemovesTheTrayIcon) {
    Start();
    dialog.reset();
    EXPECT_FALSE(host.trayShown);
    EXPECT_EQ(Count("tray-delete"), 1);
}

}  // namespace
}  // namespace tavrel
