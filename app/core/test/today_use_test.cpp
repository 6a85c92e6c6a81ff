// SPDX-License-Identifier: GPL-3.0-or-later
// Today's mouse and keyboard time through the core, as the tip and the window show it, and the
// daily mouse limit told once a day unless a quiet time holds it.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "fake_history_files.h"
#include "within.h"
#include "tavrel/directory_history_files.h"
#include "tavrel/tavrel_core.h"
#include "tavrel/testing/fake_desktop.h"
#include "tavrel/testing/fake_roles.h"

namespace tavrel::testing {
namespace {

namespace fs = std::filesystem;

class TodayTest : public ::testing::Test, public FakeRoles {
  protected:
    FakeHistoryFiles files;
    FakeDesktopQuiet desktop;
    RecordingNotifier notifier;

    CoreRoles Roles(HistoryFiles& history) {
        MonitorRoles monitor = FakeRoles::Roles();
        monitor.quiet = &desktop;
        return CoreRoles{monitor, &history, {}, "host", &notifier};
    }
    // Ticks of 50 ms for so many minutes, each tick with this input.
    void Run(TavrelCore& core, double minutes, const MDTAG& each) {
        for (int i = 0; i < static_cast<int>(minutes * 1200); ++i) {
            source.pending = each;
            clock.Advance(50);
            core.controller().OnTimer();
        }
    }
    std::string Tip() const { return tray.tip; }
};

TEST_F(TodayTest, TheTipAndTheWindowShowTodaysTimeFromEarlierRunsOnAndAcrossMidnight) {
    clock.now = At(10, 11, 58, 30, 0);  // 2024-06-10 11:58:30 UTC, the local time too
    files.files[{2024, 6}] = std::string(kHistoryHeader) +
                             "2024-06-09T10:00+00:00,9,0,0,0,0,1,0,100\n"  // yesterday
                             "2024-06-10T08:00+00:00,5,0,0,0,0,1,0,100\n"
                             "2024-06-10T08:01+00:00,0,0,0,70,0,1,0,100\n"
                             "2024-06-10T08:02+00:00,0,0,0,0,0,40,0,100\n";  // pain only
    TavrelCore core(Roles(files));
    core.controller().Start(1024);
    Run(core, 1.0 / 1200, Activity(0, 0, 0, 0, 0));
    EXPECT_EQ(window.todayUse, "Today: mouse 1 min, keyboard 1 min") << "the earlier run's";

    Run(core, 1, Activity(0, 0, 0, 0, 1));  // keys through 11:58 and 11:59
    EXPECT_EQ(window.todayUse, "Today: mouse 1 min, keyboard 3 min");
    Run(core, 1.5, Activity(2, 0, 0, 0, 0));  // the mouse through 11:59 to 12:01
    EXPECT_EQ(window.todayUse, "Today: mouse 4 min, keyboard 3 min")
        << "11:59 counts once as a keyboard and once as a mouse minute";
    core.controller().OnTrayPointed();
    const std::string last = "\nToday: mouse 4 min, keyboard 3 min";
    EXPECT_EQ(Tip().rfind("Tavrel : ", 0), 0u) << Tip();
    EXPECT_EQ(Tip().substr(Tip().size() - last.size()), last) << "below the pain and the alarm";
    EXPECT_TRUE(notifier.log.empty()) << "no limit by default";

    clock.now = At(10, 23, 59, 59, 0);
    Run(core, 0.05, Activity(0, 0, 0, 0, 1));  // across midnight
    EXPECT_EQ(window.todayUse, "Today: mouse 0 min, keyboard 1 min");
    EXPECT_EQ(core.todayUse()->day(), (LocalDate{2024, 6, 11}));
}

TEST_F(TodayTest, TheDailyMouseLimitIsToldOnceADayAndWaitsForTheQuietTimeToEnd) {
    clock.now = At(10, 9, 0, 0, 0);
    store.data.WriteInt("Main", "DailyMouseLimit", 3);
    std::size_t told = 0;
    {
        TavrelCore core(Roles(files));
        core.controller().Start(1024);
        EXPECT_EQ(core.dailyMouseLimit()->minutes(), 3);
        Run(core, 1.5, Activity(5, 0, 0, 0, 0));
        EXPECT_TRUE(notifier.log.empty()) << "two minutes of mouse use, the open one among them";

        desktop.busy = QuietReason::FullscreenProgram;  // a presentation, say
        Run(core, 2, Activity(5, 0, 0, 0, 0));
        EXPECT_TRUE(notifier.log.empty()) << "four minutes, held by the quiet time";
        EXPECT_GT(desktop.asked, 0);

        desktop.busy = QuietReason::None;
        Run(core, 1, Activity(5, 0, 0, 0, 0));  // told as the next minute begins
        ASSERT_EQ(notifier.log.size(), 1u);
        EXPECT_EQ(notifier.log[0],
                  "Tavrel: daily mouse limit reached: You have used the mouse for 5 min today, "
                  "past your daily limit of 3 min. Time for a long break from the mouse.");
        Run(core, 3, Activity(5, 0, 0, 0, 0));
        EXPECT_EQ(notifier.log.size(), 1u) << "once a day";
        told = notifier.log.size();
        EXPECT_TRUE(core.controller().OnQuit());
    }
    EXPECT_EQ(store.data.ReadString("Main", "DailyMouseLimitTold", ""), "2024-06-10");

    // Started again the same day: nothing more; the next day, once more.
    {
        TavrelCore core(Roles(files));
        core.controller().Start(1024);
        Run(core, 2, Activity(5, 0, 0, 0, 0));
        EXPECT_EQ(notifier.log.size(), told);
        clock.now = At(11, 9, 0, 0, 0);
        Run(core, 4, Activity(5, 0, 0, 0, 0));
        EXPECT_EQ(notifier.log.size(), told + 1);
        EXPECT_NE(notifier.log.back().find("for 3 min today"), std::string::npos);

        EXPECT_TRUE(core.dailyMouseLimit()->Set(0));
        EXPECT_EQ(store.data.ReadInt("Main", "DailyMouseLimit", -1), 0);
    }
}

TEST_F(TodayTest, AnotherComputersMinutesCountAndOneUsedOnBothCountsOnce) {
    const fs::path root = fs::temp_directory_path() / "tavrel-today-shared";
    fs::remove_all(root);
    const fs::path local = root / "history", desk = root / "Sync" / "0123456789abcdef";
    fs::create_directories(desk);
    std::ofstream(desk / "2024-06.csv") << kHistoryHeader
                                        << "2024-06-10T09:00+00:00,0,0,0,50,0,1,0,100\n"
                                           "2024-06-10T12:00+00:00,4,0,0,0,0,1,0,100\n";
    store.data.WriteString("Main", "SharedFolder", (root / "Sync").u8string().c_str());
    DirectoryHistoryFiles localFiles(local);
    CoreRoles roles = Roles(localFiles);
    roles.historyFolder = local;
    {
        TavrelCore core(roles);
        core.controller().Start(1024);
        clock.now = At(10, 12, 0, 0, 0);
        Run(core, 0.9, Activity(0, 0, 0, 0, 1));  // 12:00 here too
        // The other computer's minutes come in once the copy after that minute is written has
        // read them, at a minute's end.
        ASSERT_TRUE(Within([&] {
            Run(core, 1.0 / 60, Activity(0, 0, 0, 0, 0));
            return window.todayUse == "Today: mouse 1 min, keyboard 1 min";
        })) << window.todayUse;
        EXPECT_TRUE(core.controller().OnQuit());
    }
    fs::remove_all(root);
}

}  // namespace
}  // namespace tavrel::testing
