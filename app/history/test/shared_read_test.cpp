// SPDX-License-Identifier: GPL-3.0-or-later
// The History window's reading of a shared folder as sync engines leave it: every computer's
// folder, this computer's own files from its local history, names from computer.txt, and
// nothing counted twice from the engines' own files.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "tavrel/day_minutes.h"
#include "tavrel/directory_history_files.h"
#include "tavrel/history_query.h"
#include "tavrel/shared_history_folder.h"

namespace tavrel::testing {
namespace {

namespace fs = std::filesystem;

const std::string kOwnId = "00000000000000aa";
const std::string kDeskId = "0123456789abcdef";
const std::string kOldId = "fedcba9876543210";

void Put(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string Month(const std::string& lines) {
    return std::string(kHistoryHeader) + lines;
}

class SharedReadTest : public ::testing::Test {
  protected:
    fs::path root = fs::temp_directory_path() /
                    ("tavrel-shared-read-" +
                     std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    HistoryPlaces places{root / "local", root / "Sync" / "Tavrel", kOwnId, "laptop"};

    void SetUp() override {
        fs::remove_all(root);
        const fs::path shared = places.shared;
        Put(places.local / "2026-03.csv", Month("2026-03-09T10:00+01:00,10,1,0,100,0,50,0,100\n"
                                                "2026-03-10T10:00+01:00,1,0,0,0,0,50,0,100\n"));
        // This computer's own copy there is not read again: its local files are whole.
        Put(shared / kOwnId / "2026-03.csv",
            Month("2026-03-09T10:00+01:00,10,1,0,100,0,50,0,100\n"));
        Put(shared / kOwnId / kComputerNameFile, "laptop\n");
        Put(shared / kDeskId / kComputerNameFile, "  desk\tat work \r\nsecond line\n");
        Put(shared / kDeskId / "2026-03.csv",
            Month("2026-03-09T10:00+01:00,5,0,0,0,20,80,0,100\n"
                  "2026-03-11T18:22+01:00,0,3,0,40,0,10,0,100\n"
                  "2026-03-11T18:23+01:00,99"));  // still arriving
        Put(shared / kDeskId / "2026-02.csv", Month("2026-02-27T08:00+01:00,2,0,0,0,0,1,0,100\n"));
        // What sync engines leave beside the files: never counted.
        const std::string big = Month("2026-03-09T11:00+01:00,100000,0,0,0,0,0,0,100\n");
        for (const char* name :
             {"2026-03.sync-conflict-20260311-182200-ABCDEFG.csv",
              "2026-03 (conflicted copy 2026-03-11).csv", "2026-03-DESKTOP.csv",
              ".syncthing.2026-03.csv.tmp", "~syncthing~2026-03.csv.tmp", "2026-03.csv.part"}) {
            Put(shared / kDeskId / name, big);
        }
        Put(shared / ".stfolder" / "2026-03.csv", big);
        Put(shared / "ABCDEF0123456789" / "2026-03.csv", big);  // not an id Tavrel makes
        Put(shared / "notes.txt", "hello");
        // A computer without a name and without minutes yet.
        fs::create_directories(shared / kOldId);
    }
    void TearDown() override { fs::remove_all(root); }

    HistoryResult Week(const std::string& computer = {}) {
        HistoryQuery query;
        query.view = HistoryView::Week;
        query.date = {2026, 3, 15};
        query.computer = computer;
        return RunHistoryQuery(places, query);
    }
};

TEST_F(SharedReadTest, AllComputersTogetherAndEachAlone) {
    const HistoryResult all = Week();
    ASSERT_FALSE(all.failed);
    EXPECT_EQ(all.sharedProblem, "");
    ASSERT_EQ(all.computers.size(), 3u);
    EXPECT_EQ(all.computers[0].name, "laptop");
    EXPECT_TRUE(all.computers[0].thisComputer);
    EXPECT_EQ(all.computers[1].name, "desk at work") << "its first line, a tab as a space";
    EXPECT_EQ(all.computers[1].id, kDeskId);
    ASSERT_TRUE(all.computers[1].wrote);
    EXPECT_EQ(all.computers[1].lastMinute.date, (LocalDate{2026, 3, 11}));
    EXPECT_EQ(all.computers[1].lastMinute.MinuteOfDay(), 18 * 60 + 22)
        << "the torn line is not one";
    EXPECT_EQ(all.computers[2].name, kOldId);
    EXPECT_FALSE(all.computers[2].wrote);

    const DayTotals& t = all.totals;
    EXPECT_EQ((std::vector<std::int64_t>{t.keys, t.clicks, t.movePx, t.dragPx}),
              (std::vector<std::int64_t>{16, 4, 140, 20}));
    EXPECT_EQ((std::vector<std::int64_t>{t.activeMinutes, t.mouseMinutes, t.keyboardMinutes}),
              (std::vector<std::int64_t>{3, 2, 2}))
        << "10:00 on the 9th was used on both: one minute";

    const HistoryResult desk = Week(kDeskId);
    EXPECT_EQ((std::vector<std::int64_t>{desk.totals.keys, desk.totals.clicks,
                                         desk.totals.activeMinutes}),
              (std::vector<std::int64_t>{5, 3, 2}));
    const HistoryResult own = Week(kOwnId);
    EXPECT_EQ((std::vector<std::int64_t>{own.totals.keys, own.totals.activeMinutes}),
              (std::vector<std::int64_t>{11, 2}));
    EXPECT_EQ(own.computers.size(), 3u) << "every computer is named whichever is shown";
}

TEST_F(SharedReadTest, AMissingSharedFolderLeavesThisComputersHistoryAndSaysWhy) {
    places.shared = root / "Unplugged" / "Tavrel";
    const HistoryResult all = Week();
    EXPECT_FALSE(all.failed);
    ASSERT_EQ(all.computers.size(), 1u);
    EXPECT_EQ(all.totals.keys, 11);
    EXPECT_EQ(all.sharedProblem, "Can't read the shared folder " + places.shared.u8string() +
                                     ": the folder is not there. This computer's history is "
                                     "shown alone.");
}

TEST(DayMinutesTest, ADaysLinesCountWhereverTheyAreInABigMonthFile) {
    const fs::path folder = fs::temp_directory_path() / "tavrel-day-minutes";
    fs::remove_all(folder);
    // Four hours a day, keys in the even minutes and the mouse in the odd: 330 KB in all, and
    // the days after the 10th written as well (a clock set back, or made-up files).
    std::string text(kHistoryHeader);
    for (int day = 1; day <= 31; ++day) {
        for (int m = 8 * 60; m < 12 * 60; ++m) {
            char line[80];
            std::snprintf(line, sizeof line, "2026-12-%02dT%02d:%02d+01:00,%d,0,0,%d,0,1,0,100\n",
                          day, m / 60, m % 60, m % 2 == 0 ? 3 : 0, m % 2 == 0 ? 0 : 40);
            text += line;
        }
    }
    Put(folder / "2026-12.csv", text);
    DirectoryHistoryFiles files(folder);
    for (const int day : {10, 31}) {
        SCOPED_TRACE(day);
        DayMinutes minutes;
        minutes.Start({2026, 12, day});
        AddDayMinutes(files, minutes);
        EXPECT_EQ(minutes.active.count(), 240u);
        EXPECT_EQ(minutes.keyboard.count(), 120u);
        EXPECT_EQ(minutes.mouse.count(), 120u);
    }
    fs::remove_all(folder);
}

TEST(ComputerNameTest, OneLineOfPrintableTextCutAtACharacter) {
    EXPECT_EQ(CleanComputerName("  Büro-PC \r\nrest"), "Büro-PC");
    EXPECT_EQ(CleanComputerName("\x01\x7f  "), "");
    EXPECT_EQ(CleanComputerName("a\tb"), "a b");
    const std::string longName = std::string(63, 'a') + "é";  // é is two bytes: 65 in all
    EXPECT_EQ(CleanComputerName(longName), std::string(63, 'a'));
    EXPECT_TRUE(IsComputerId(ComputerIdOf(0xfedcba9876543210u)));
    EXPECT_EQ(ComputerIdOf(0xabcu), "0000000000000abc");
    EXPECT_NE(NewComputerId(), NewComputerId());
    EXPECT_FALSE(IsComputerId("0123456789ABCDEF"));
    EXPECT_FALSE(IsComputerId(".stfolder"));
}

}  // namespace
}  // namespace tavrel::testing
