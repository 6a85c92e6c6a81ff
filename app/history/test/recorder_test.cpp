// SPDX-License-Identifier: GPL-3.0-or-later
// Minute sums over a simulated clock: what one minute's line says, where the minutes fall
// across midnight, month ends and daylight-saving changes, and a clock set back.
#include <gtest/gtest.h>

#include "recorder_fixture.h"

namespace tavrel::testing {
namespace {

TEST_F(RecorderTest, SumsEachMinuteAndLeavesQuietOnesOut) {
    clock.now = At(10, 12, 0, 0, 0);
    clock.utcOffsetMinutes = 60;
    activity = {0.3f, 0.25f, 0, 0, 1};
    for (int i = 0; i < 1199; ++i) {          // the ticks of 12:00
        activity.clicks = i == 500 ? -1 : 0;  // a double-click that took back a release
        activity.doubleClicks = i == 500 ? 1 : 0;
        pain = 0.1f * static_cast<float>(i);
        alarm = pain >= threshold;
        Tick();
        EXPECT_EQ(files.appends, 0) << "nothing is written before the minute ends";
    }
    activity = {};
    pain = 0.0f;
    alarm = false;
    Run(60000);  // 12:01, quiet
    threshold = 80.0f;
    activity.keys = 1;
    Tick();  // 12:02
    activity.keys = 0;
    Run(1000);
    EXPECT_EQ(Lines({2024, 6}).size(), 1u) << "the open minute waits for its end";
    recorder.OnSessionEnd(SessionEnd::Quit);

    EXPECT_EQ(Lines({2024, 6}), (std::vector<std::string>{
                                    "2024-06-10T13:00+01:00,1199,-1,1,360,300,119,199,100",
                                    "2024-06-10T13:02+01:00,1,0,0,0,0,0,0,80",
                                }));
    EXPECT_EQ(clock.localReads, 3) << "the clock is asked once per minute, not per tick";
    EXPECT_TRUE(window.messages.empty());
}

struct Crossing {
    const char* name;
    SystemTime start;               // UTC, 30 s before the local minute turns
    int offsetBefore, offsetAfter;  // the offset changes when the UTC minute turns
    HistoryMonth firstFile, secondFile;
    const char* firstMinute;
    const char* secondMinute;
};

class CrossingTest : public RecorderTest, public ::testing::WithParamInterface<Crossing> {};

TEST_P(CrossingTest, NamesBothMinutesInLocalTimeAndFilesThemByLocalDate) {
    const Crossing& c = GetParam();
    clock.now = c.start;
    activity.keys = 1;
    const std::int64_t turn = ToEpochMs(c.start) + 30000;
    for (int i = 0; i < 1200; ++i) {
        clock.utcOffsetMinutes =
            ToEpochMs(Later(clock.now, 50)) < turn ? c.offsetBefore : c.offsetAfter;
        Tick();
    }
    recorder.OnSessionEnd(SessionEnd::Logoff);

    std::vector<std::string> lines = Lines(c.firstFile);
    if (c.secondFile != c.firstFile) {
        EXPECT_EQ(lines.size(), 1u);
        const std::vector<std::string> more = Lines(c.secondFile);
        lines.insert(lines.end(), more.begin(), more.end());
    }
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string(c.firstMinute) + ",599,0,0,0,0,0,0,100");
    EXPECT_EQ(lines[1], std::string(c.secondMinute) + ",601,0,0,0,0,0,0,100");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Calendar, CrossingTest,
    ::testing::Values(
        Crossing{"Midnight", At(10, 23, 59, 30, 0), 0, 0, {2024, 6}, {2024, 6},
                 "2024-06-10T23:59+00:00", "2024-06-11T00:00+00:00"},
        Crossing{"MonthEndAheadOfUtc", At(30, 21, 59, 30, 0), 120, 120, {2024, 6}, {2024, 7},
                 "2024-06-30T23:59+02:00", "2024-07-01T00:00+02:00"},
        Crossing{"MonthEndBehindUtc", At(1, 3, 59, 30, 0, 7), -240, -240, {2024, 6}, {2024, 7},
                 "2024-06-30T23:59-04:00", "2024-07-01T00:00-04:00"},
        Crossing{"YearEndHalfHourZone", At(31, 18, 29, 30, 0, 12), 330, 330, {2024, 12},
                 {2025, 1}, "2024-12-31T23:59+05:30", "2025-01-01T00:00+05:30"},
        Crossing{"SummerTimeBegins", At(31, 0, 59, 30, 0, 3), 60, 120, {2024, 3}, {2024, 3},
                 "2024-03-31T01:59+01:00", "2024-03-31T03:00+02:00"},
        Crossing{"SummerTimeEnds", At(27, 0, 59, 30, 0, 10), 120, 60, {2024, 10}, {2024, 10},
                 "2024-10-27T02:59+02:00", "2024-10-27T02:00+01:00"},
        // A mistyped TZ can put the clock a whole day, and more, off UTC.
        Crossing{"DayAheadOfUtc", At(10, 23, 59, 30, 0), 1440, 1440, {2024, 6}, {2024, 6},
                 "2024-06-11T23:59+24:00", "2024-06-12T00:00+24:00"},
        Crossing{"MostBehindUtc", At(10, 23, 59, 30, 0), -1499, -1499, {2024, 6}, {2024, 6},
                 "2024-06-09T23:00-24:59", "2024-06-09T23:01-24:59"},
        Crossing{"PastTheLimitTakenAtIt", At(10, 23, 59, 30, 0), 3000, 3000, {2024, 6},
                 {2024, 6}, "2024-06-12T00:58+24:59", "2024-06-12T00:59+24:59"}),
    [](const ::testing::TestParamInfo<Crossing>& info) { return info.param.name; });
// clang-format on

TEST_F(RecorderTest, TheHourRepeatedAtTheEndOfSummerTimeAddsUpInTheDay) {
    clock.now = At(27, 0, 0, 0, 0, 10);  // 02:00 local, summer time
    activity.keys = 1;
    for (int i = 0; i < 2 * 72000; ++i) {
        clock.utcOffsetMinutes = Later(clock.now, 50).hour >= 1 ? 60 : 120;
        Tick();
    }
    recorder.OnSessionEnd(SessionEnd::Quit);

    const std::vector<std::string> lines = Lines({2024, 10});
    ASSERT_EQ(lines.size(), 121u) << "each hour once per offset, then 03:00";
    EXPECT_EQ(lines[30].substr(0, 22), "2024-10-27T02:30+02:00");
    EXPECT_EQ(lines[90].substr(0, 22), "2024-10-27T02:30+01:00");

    const DayDetail day = BuildDayDetail(ReadAll(), {2024, 10, 27});
    EXPECT_EQ(day.hours[2].keys, 143999);
    EXPECT_EQ(day.hours[3].keys, 1);
    EXPECT_EQ(day.minutes.size(), 61u);
    EXPECT_EQ(day.totals.activeMinutes, 121) << "the hour that came twice was used twice";
    EXPECT_EQ(day.totals.keys, 144000);
}

TEST_F(RecorderTest, AClockSetBackWritesTheMinuteAgainAndTheReaderAddsBoth) {
    clock.now = At(10, 12, 0, 0, 0);
    activity.keys = 1;
    Run(120000);  // 12:00, 12:01 and the first tick of 12:02
    clock.now = At(10, 12, 0, 30, 0);
    activity.keys = 2;
    Run(29950);  // the rest of 12:00, again
    recorder.OnSessionEnd(SessionEnd::Quit);

    const std::vector<std::string> lines = Lines({2024, 6});
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "2024-06-10T12:00+00:00,1199,0,0,0,0,0,0,100");
    EXPECT_EQ(lines[3], "2024-06-10T12:00+00:00,1198,0,0,0,0,0,0,100");

    const HistoryLog log = ReadAll();
    ASSERT_EQ(log.minutes.size(), 3u);
    EXPECT_EQ(log.minutes[0].keys, 1199 + 1198);
    EXPECT_EQ(log.minutes[1].keys, 1200);
    EXPECT_EQ(log.minutes[2].keys, 1);
}

TEST(HistoryCalendarTest, DayNumbersAgreeWithTheSimulatedClocksCalendar) {
    for (std::int64_t day = -4000; day < 60000; day += 17) {
        const SystemTime t = FromEpochMs(day * 86400000);
        const LocalDate date{t.year, t.month, t.day};
        ASSERT_EQ(DayNumber(date), day);
        ASSERT_TRUE(DateOfDayNumber(static_cast<std::int32_t>(day)) == date) << day;
        ASSERT_EQ(AddDays(date, 1).day, FromEpochMs((day + 1) * 86400000).day);
    }
}

}  // namespace
}  // namespace tavrel::testing
