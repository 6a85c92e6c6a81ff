// SPDX-License-Identifier: GPL-3.0-or-later
// Time at the mouse and the keyboard from the lines of the files: what kind of minute a line
// is, days whose clock changed, and one minute on several computers.
#include <gtest/gtest.h>

#include "fake_history_files.h"
#include "tavrel/history_log.h"

namespace tavrel::testing {
namespace {

TEST(ExposureTest, EachLineIsAMouseAKeyboardOrAnActiveMinuteByItsCounts) {
    struct Case {
        const char* what;
        std::int32_t keys, clicks, doubleClicks, movePx, dragPx;
        int active, mouse, keyboard;
    };
    const Case cases[] = {
        {"pain only", 0, 0, 0, 0, 0, 0, 0, 0},
        {"keys", 3, 0, 0, 0, 0, 1, 0, 1},
        {"movement", 0, 0, 0, 12, 0, 1, 1, 0},
        {"a drag", 0, 0, 0, 0, 40, 1, 1, 0},
        {"a click", 0, 1, 0, 0, 0, 1, 1, 0},
        {"a double-click that took back a release", 0, -1, 1, 0, 0, 1, 1, 0},
        {"keys and the mouse", 7, 2, 0, 300, 0, 1, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const MinuteTime t = TimeOfCounts(c.keys, c.clicks, c.doubleClicks, c.movePx, c.dragPx);
        EXPECT_EQ((std::vector<int>{t.active, t.mouse, t.keyboard}),
                  (std::vector<int>{c.active, c.mouse, c.keyboard}));
    }
}

std::string File(const std::string& lines) {
    return std::string(kHistoryHeader) + lines;
}

TEST(ExposureTest, DaysCountRealMinutesAcrossClockChanges) {
    FakeHistoryFiles files;
    files.files[{2025, 10}] = File(
        // The end of summer time: 02:00 to 02:59 comes twice, and both hours were used.
        "2025-10-26T01:59+02:00,1,0,0,0,0,10,0,100\n"
        "2025-10-26T02:00+02:00,1,0,0,0,0,10,0,100\n"
        "2025-10-26T02:01+02:00,0,0,0,5,0,10,0,100\n"
        "2025-10-26T02:00+01:00,1,0,0,9,0,10,0,100\n"
        "2025-10-26T02:01+01:00,0,0,0,5,0,10,0,100\n"
        // Started again within the minute: the same real minute in two lines.
        "2025-10-26T09:00+01:00,2,0,0,0,0,10,0,100\n"
        "2025-10-26T09:00+01:00,3,0,0,0,0,10,0,100\n"
        // A flight west: the evening's minutes, then the same date's afternoon in the new zone.
        "2025-10-27T22:30+01:00,4,0,0,0,0,10,0,100\n"
        "2025-10-27T23:59+01:00,0,1,0,0,0,10,0,100\n"
        "2025-10-27T18:10-05:00,0,0,0,0,7,10,0,100\n"
        "2025-10-28T00:00-05:00,1,0,0,0,0,10,0,100\n");
    const HistoryLog log = ReadHistory(files, {2025, 10}, {2025, 10});
    const std::vector<DayTotals> days = BuildDailyTotals(log, {2025, 10, 28}, 3);
    const auto time = [](const DayTotals& d) {
        return std::vector<std::int64_t>{d.activeMinutes, d.mouseMinutes, d.keyboardMinutes,
                                         d.keys};
    };
    EXPECT_EQ(time(days[0]), (std::vector<std::int64_t>{6, 3, 4, 8}))
        << "two hours at 02:00, one minute at 09:00";
    EXPECT_EQ(time(days[1]), (std::vector<std::int64_t>{3, 2, 1, 4}))
        << "every minute of the day in either zone counts in it";
    EXPECT_EQ(time(days[2]), (std::vector<std::int64_t>{1, 0, 1, 1}));
}

TEST(ExposureTest, AMinuteOnTwoComputersCountsOnceAsTimeAndItsCountsAdd) {
    FakeHistoryFiles laptop, desktop, tablet;
    laptop.files[{2026, 3}] = File(
        "2026-03-09T10:00+01:00,5,0,0,0,0,20,0,100\n"
        "2026-03-09T10:01+01:00,5,0,0,0,0,30,0,100\n"
        "2026-03-09T10:02+01:00,0,2,0,100,0,140,600,120\n");
    desktop.files[{2026, 3}] = File(
        "2026-03-09T10:00+01:00,0,1,0,200,0,60,0,100\n"
        "2026-03-09T10:01+01:00,7,0,0,0,0,10,0,100\n"
        "2026-03-09T10:03+01:00,0,0,0,0,50,0,0,100\n");
    // The month before only here; the tablet has no files at all.
    desktop.files[{2026, 2}] = File("2026-02-28T23:00+01:00,1,0,0,0,0,0,0,100\n");
    const HistoryLog log =
        ReadHistory(std::vector<HistoryFiles*>{&laptop, &desktop, &tablet}, {2026, 2}, {2026, 3});
    ASSERT_FALSE(log.failed);
    ASSERT_EQ(log.minutes.size(), 5u);
    const DayTotals day = BuildDayDetail(log, {2026, 3, 9}).totals;
    EXPECT_EQ((std::vector<std::int64_t>{day.keys, day.clicks, day.movePx, day.dragPx}),
              (std::vector<std::int64_t>{17, 3, 300, 50}));
    EXPECT_EQ((std::vector<std::int64_t>{day.activeMinutes, day.mouseMinutes, day.keyboardMinutes}),
              (std::vector<std::int64_t>{4, 3, 2}))
        << "10:00 is a mouse and a keyboard minute once, not two minutes";
    EXPECT_EQ(day.painMax, 140) << "the highest pain of either";
    EXPECT_EQ(BuildDayDetail(log, {2026, 2, 28}).totals.keys, 1);

    // One computer that cannot be read fails the whole: a sum without it would mislead.
    desktop.unreadable.insert({2026, 3});
    EXPECT_TRUE(
        ReadHistory(std::vector<HistoryFiles*>{&laptop, &desktop}, {2026, 3}, {2026, 3}).failed);
}

}  // namespace
}  // namespace tavrel::testing
