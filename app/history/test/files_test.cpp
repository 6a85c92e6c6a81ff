// SPDX-License-Identifier: GPL-3.0-or-later
// The month files on disk and their reading: round trip, a torn last line, the locale, what
// counts as a line, and the day and per-day figures built from them.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <fstream>
#include <locale>
#include <sstream>

#include "fake_history_files.h"
#include "tavrel/directory_history_files.h"
#include "tavrel/history_log.h"
#include "tavrel/history_writer.h"

namespace tavrel::testing {
namespace {

namespace fs = std::filesystem;

MinuteRecord Minute(LocalDate date, int hour, int minute, int offset, std::int32_t keys) {
    MinuteRecord r;
    r.minute = {date, hour, minute, offset};
    r.keys = keys;
    r.threshold = 100;
    return r;
}

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class DirectoryTest : public ::testing::Test {
  protected:
    fs::path root = fs::temp_directory_path() /
                    ("tavrel-history-" +
                     std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::path folder = root / "data" / "tavrel" / "history";  // absent until the first write
    DirectoryHistoryFiles files{folder};
    HistoryWriter writer{files};

    void SetUp() override { fs::remove_all(root); }
    void TearDown() override { fs::remove_all(root); }
};

TEST_F(DirectoryTest, WhatIsWrittenReadsBackTheSame) {
    MinuteRecord odd = Minute({2024, 2, 29}, 23, 59, -210, 2147483647);
    odd.clicks = -3;
    odd.doubleClicks = 2;
    odd.movePx = 123456;
    odd.dragPx = 7;
    odd.painMax = 98765;
    odd.alarmTicks = 1200;
    odd.threshold = 0;
    const MinuteRecord records[] = {Minute({2024, 2, 1}, 0, 0, 0, 1), odd,
                                    Minute({2024, 3, 1}, 8, 5, 60, 42)};
    for (const MinuteRecord& r : records) ASSERT_TRUE(writer.Write(r));

    EXPECT_EQ(files.ListMonths(), (std::vector<HistoryMonth>{{2024, 2}, {2024, 3}}));
    EXPECT_EQ(Slurp(folder / "2024-02.csv"),
              std::string(kHistoryHeader) +
                  "2024-02-01T00:00+00:00,1,0,0,0,0,0,0,100\n"
                  "2024-02-29T23:59-03:30,2147483647,-3,2,123456,7,98765,1200,0\n");
    const HistoryLog log = ReadHistory(files, {2024, 1}, {2024, 12});
    ASSERT_EQ(log.minutes.size(), 3u);
    const HistoryMinute& m = log.minutes[1];
    EXPECT_EQ(m.key, DayNumber({2024, 2, 29}) * 1440LL + 23 * 60 + 59);
    EXPECT_EQ((std::vector<std::int32_t>{m.keys, m.clicks, m.doubleClicks, m.movePx, m.dragPx,
                                         m.painMax, m.alarmTicks, m.threshold}),
              (std::vector<std::int32_t>{2147483647, -3, 2, 123456, 7, 98765, 1200, 0}));
    EXPECT_EQ(log.minutes[2].keys, 42);
}

TEST_F(DirectoryTest, ATornLastLineIsSkippedAndTheNextAppendLeavesItAlone) {
    ASSERT_TRUE(writer.Write(Minute({2024, 6, 10}, 12, 0, 0, 1)));
    // The power went while the next line was written: its threshold lost a digit.
    {
        std::ofstream file(folder / "2024-06.csv", std::ios::binary | std::ios::app);
        file << "2024-06-10T12:01+00:00,5,0,0,0,0,0,0,10";
    }
    const std::string before = Slurp(folder / "2024-06.csv");
    EXPECT_EQ(ReadHistory(files, {2024, 6}, {2024, 6}).minutes.size(), 1u);

    ASSERT_TRUE(writer.Write(Minute({2024, 6, 10}, 12, 2, 0, 3)));
    const std::string after = Slurp(folder / "2024-06.csv");
    EXPECT_EQ(after.substr(0, before.size()), before) << "nothing earlier is rewritten";
    EXPECT_EQ(after.substr(before.size()),
              std::string(kTornLineEnd) + "2024-06-10T12:02+00:00,3,0,0,0,0,0,0,100\n");
    const HistoryLog log = ReadHistory(files, {2024, 6}, {2024, 6});
    ASSERT_EQ(log.minutes.size(), 2u);
    EXPECT_EQ(log.minutes[1].keys, 3);
}

TEST_F(DirectoryTest, AFolderThatCannotBeMadeKeepsTheMinutesUntilItCan) {
    fs::create_directories(root);
    std::ofstream(root / "data") << "a file where the folder should be\n";
    EXPECT_FALSE(writer.Write(Minute({2024, 6, 10}, 12, 0, 0, 1)));
    EXPECT_FALSE(writer.Write(Minute({2024, 6, 10}, 12, 1, 0, 2)));
    EXPECT_EQ(writer.pending(), 2u);
    fs::remove(root / "data");
    EXPECT_TRUE(writer.Write(Minute({2024, 6, 10}, 12, 2, 0, 3)));
    const HistoryLog log = ReadHistory(files, {2024, 6}, {2024, 6});
    ASSERT_EQ(log.minutes.size(), 3u);
    EXPECT_EQ(log.minutes[0].keys + log.minutes[1].keys + log.minutes[2].keys, 6);
}

TEST_F(DirectoryTest, AMonthThatCannotBeReadFailsTheReadButNotTheOtherMonths) {
    ASSERT_TRUE(writer.Write(Minute({2024, 5, 10}, 12, 0, 0, 4)));
    // A folder where the June file should be: listed, never readable, whoever the user is.
    fs::create_directories(folder / "2024-06.csv");
    HistoryLog log = ReadHistory(files, {2024, 5}, {2024, 6});
    EXPECT_TRUE(log.failed);
    ASSERT_EQ(log.minutes.size(), 1u);
    EXPECT_EQ(log.minutes[0].keys, 4);
    EXPECT_FALSE(ReadHistory(files, {2024, 5}, {2024, 5}).failed) << "June not asked for";
    fs::remove(folder / "2024-06.csv");
    EXPECT_FALSE(ReadHistory(files, {2024, 5}, {2024, 6}).failed);
}

// A C++ locale that writes 1234567 as "1.234.567" and 1.5 as "1,5".
struct CommaPunct : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

TEST_F(DirectoryTest, NumbersAreTheSameWhateverTheLocale) {
    const std::locale previous = std::locale::global(std::locale(std::locale(), new CommaPunct));
    const std::string previousC = std::setlocale(LC_ALL, nullptr);
    const bool german = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    std::ostringstream grouped;
    grouped << 1234567 << ' ' << 1.5;
    char printed[32];
    std::snprintf(printed, sizeof printed, "%.1f", 1.5);

    MinuteRecord r = Minute({2024, 6, 10}, 12, 0, 60, 1234567);
    r.movePx = 2500000;
    const bool written = writer.Write(r);
    const HistoryLog log = ReadHistory(files, {2024, 6}, {2024, 6});
    const std::string text = Slurp(folder / "2024-06.csv");
    std::setlocale(LC_ALL, previousC.c_str());
    std::locale::global(previous);

    EXPECT_EQ(grouped.str(), "1.234.567 1,5") << "the test's locale must be a hostile one";
    if (german) {
        EXPECT_STREQ(printed, "1,5");
    }
    ASSERT_TRUE(written);
    EXPECT_EQ(text, std::string(kHistoryHeader) +
                        "2024-06-10T12:00+01:00,1234567,0,0,2500000,0,0,0,100\n");
    ASSERT_EQ(log.minutes.size(), 1u);
    EXPECT_EQ(log.minutes[0].keys, 1234567);
    EXPECT_EQ(log.minutes[0].movePx, 2500000);
}

TEST_F(DirectoryTest, OnlyMonthFilesAreListed) {
    fs::create_directories(folder);
    for (const char* name : {"2024-13.csv", "2024-6.csv", "notes.txt", "2024-06.csv.bak"}) {
        std::ofstream(folder / name) << "x\n";
    }
    ASSERT_TRUE(writer.Write(Minute({2023, 12, 31}, 23, 0, 0, 1)));
    EXPECT_EQ(files.ListMonths(), (std::vector<HistoryMonth>{{2023, 12}}));
}

TEST(HistoryFolderTest, FollowsXdgDataHomeWhenItIsAbsolute) {
    EXPECT_EQ(XdgHistoryFolder("/data", "/home/u"), fs::path("/data/tavrel/history"));
    for (const char* unusable : {static_cast<const char*>(nullptr), "", "relative/dir"}) {
        EXPECT_EQ(XdgHistoryFolder(unusable, "/home/u"),
                  fs::path("/home/u/.local/share/tavrel/history"));
    }
}

TEST(MinuteLineTest, OnlyWholeWellFormedRecordsCount) {
    const std::string good = "2024-06-10T12:00+01:00,1,-2,3,4,5,6,7,8";
    MinuteRecord r;
    EXPECT_TRUE(ParseMinuteLine(good, r));
    EXPECT_EQ(r.minute.utcOffsetMinutes, 60);
    EXPECT_EQ(r.clicks, -2);
    EXPECT_TRUE(ParseMinuteLine(good + "\r", r)) << "a file saved with CR LF";
    for (const std::string& bad : {
             std::string(kHistoryHeader.substr(0, kHistoryHeader.size() - 1)),
             std::string(),
             good + ",9",
             good.substr(0, good.size() - 2),
             good.substr(0, good.size() - 1) + ",torn",
             std::string("2024-02-30T12:00+01:00,1,2,3,4,5,6,7,8"),
             std::string("2024-06-10T24:00+01:00,1,2,3,4,5,6,7,8"),
             std::string("2024-06-10T12:00+25:00,1,2,3,4,5,6,7,8"),
             std::string("2024-06-10T12:00-25:00,1,2,3,4,5,6,7,8"),
             std::string("2024-06-10T12:00+24:60,1,2,3,4,5,6,7,8"),
             std::string("2024-06-10 12:00+01:00,1,2,3,4,5,6,7,8"),
             std::string("2024-06-10T12:00+01:00,1.5,2,3,4,5,6,7,8"),
             std::string("2024-06-10T12:00+01:00,+1,2,3,4,5,6,7,8"),
             std::string("2024-06-10T12:00+01:00, 1,2,3,4,5,6,7,8"),
             std::string("2024-06-10T12:00+01:00,1,2,3,4,5,6,7,2147483648"),
             std::string("2024-06-10T12:00+01:00,1,2,3,4,5,6,7,-2147483649"),
             std::string("2024-06-10T12:00+01:00,1,2,3,4,5,6,7,99999999999999999999999999"),
             std::string("2024-06-10T12:00+01:00,1,2,3,4,5,6,7,-"),
         }) {
        EXPECT_FALSE(ParseMinuteLine(bad, r)) << bad;
    }
}

TEST(MinuteLineTest, OffsetsToADayAndMoreAndNumbersOfAnyLengthInRangeReadBack) {
    struct Case {
        const char* line;
        int offset;
        std::int32_t keys, threshold;
    };
    const Case cases[] = {
        {"2024-06-10T12:00+19:00,1,0,0,0,0,0,0,8", 19 * 60, 1, 8},
        {"2024-06-10T12:00+24:00,1,0,0,0,0,0,0,8", 24 * 60, 1, 8},
        {"2024-06-10T12:00-24:59,1,0,0,0,0,0,0,8", -1499, 1, 8},
        {"2024-06-10T12:00+00:00,000000000001,0,0,0,0,0,0,0000000000000000000100", 0, 1, 100},
        {"2024-06-10T12:00+00:00,-0000000002147483648,0,0,0,0,0,0,002147483647", 0, -2147483647 - 1,
         2147483647},
    };
    for (const Case& c : cases) {
        MinuteRecord r;
        ASSERT_TRUE(ParseMinuteLine(c.line, r)) << c.line;
        EXPECT_EQ(r.minute.utcOffsetMinutes, c.offset) << c.line;
        EXPECT_EQ(r.keys, c.keys) << c.line;
        EXPECT_EQ(r.threshold, c.threshold) << c.line;
    }
    // What is written reads back, and the offset past the limit is written at it.
    for (const int offset : {1440, -1440, 1499, -1499, 100000, -100000}) {
        MinuteRecord written;
        written.minute = {{2024, 6, 10}, 12, 0, offset};
        written.keys = 3;
        std::string line;
        AppendMinuteLine(written, line);
        MinuteRecord read;
        ASSERT_TRUE(ParseMinuteLine(std::string_view(line).substr(0, line.size() - 1), read))
            << line;
        EXPECT_EQ(read.minute.utcOffsetMinutes, std::clamp(offset, -1499, 1499)) << line;
    }
}

TEST(DayFiguresTest, HoursTotalsAndAlarmsOfADayAndOfThirtyDays) {
    FakeHistoryFiles files;
    files.files[{2024, 6}] = std::string(kHistoryHeader) +
                             "2024-06-09T23:59+02:00,0,0,0,0,0,150,20,100\n"  // alarm goes on
                             "2024-06-10T00:00+02:00,0,0,0,0,0,120,10,100\n"
                             "2024-06-10T09:15+02:00,10,2,1,300,40,50,0,100\n"
                             "2024-06-10T09:59+02:00,5,-1,1,0,0,110,3,100\n"
                             "2024-06-10T10:00+02:00,1,0,0,0,0,90,0,100\n"
                             "2024-06-10T10:01+02:00,0,0,0,0,0,105,2,100\n"
                             "garbage\n"
                             "2024-06-30T23:00+02:00,7,0,0,0,0,1,0,100\n";
    files.files[{2024, 7}] =
        std::string(kHistoryHeader) + "2024-07-01T00:30+02:00,4,0,0,0,0,1,0,100\n";
    const HistoryLog log = ReadHistory(files, {2024, 6}, {2024, 7});

    const DayDetail day = BuildDayDetail(log, {2024, 6, 10});
    EXPECT_EQ(day.minutes.size(), 5u);
    EXPECT_EQ(day.hours[9].keys, 15);
    EXPECT_EQ(day.hours[9].clicks, 1);
    EXPECT_EQ(day.hours[9].movePx, 300);
    EXPECT_EQ(day.hours[10].keys, 1);
    const DayTotals& t = day.totals;
    EXPECT_EQ((std::vector<std::int64_t>{t.keys, t.clicks, t.doubleClicks, t.movePx, t.dragPx,
                                         t.painMax, t.alarms, t.alarmTicks, t.activeMinutes}),
              (std::vector<std::int64_t>{16, 1, 2, 300, 40, 120, 2, 15, 3}))
        << "the alarm from the day before does not count again; 09:59 and 10:01 do";

    const std::vector<DayTotals> days = BuildDailyTotals(log, {2024, 7, 1}, 30);
    ASSERT_EQ(days.size(), 30u);
    EXPECT_TRUE(days.front().date == (LocalDate{2024, 6, 2}));
    EXPECT_EQ(days[7].alarms, 1);  // 9 June
    EXPECT_EQ(days[7].painMax, 150);
    EXPECT_EQ(days[8].keys, t.keys);
    EXPECT_EQ(days[8].alarms, 2);
    EXPECT_EQ(days[28].keys, 7);
    EXPECT_EQ(days[29].keys, 4);
    EXPECT_EQ(days[3].activeMinutes, 0);
}

TEST(ReadHistoryTest, StopsAtTheNextFileOnceCancelled) {
    FakeHistoryFiles files;
    for (int month = 1; month <= 3; ++month) {
        files.files[{2024, month}] = std::string(kHistoryHeader) + "2024-0" +
                                     std::to_string(month) + "-01T08:00+01:00,1,0,0,0,0,0,0,100\n";
    }
    std::atomic<bool> cancel{false};
    EXPECT_EQ(ReadHistory(files, {2024, 2}, {2024, 3}, &cancel).minutes.size(), 2u);
    cancel = true;
    const HistoryLog log = ReadHistory(files, {2024, 1}, {2024, 3}, &cancel);
    EXPECT_TRUE(log.cancelled);
    EXPECT_TRUE(log.minutes.empty());
}

}  // namespace
}  // namespace tavrel::testing
