// SPDX-License-Identifier: GPL-3.0-or-later
// The History windows' browsing, as both shells use it: where it goes, what it reads for each
// view, what it says while reading, after a failed read and when an old answer comes late.
#include <gtest/gtest.h>

#include "fake_history_files.h"
#include "tavrel/history_browser.h"
#include "tavrel/history_views.h"
#include "tavrel/history_writer.h"
#include "tavrel/testing/simulated_clock.h"

namespace tavrel::testing {
namespace {

constexpr LocalDate kToday{2026, 3, 15};

class BrowserTest : public ::testing::Test {
  protected:
    SimulatedClock clock;
    FakeHistoryFiles files;
    HistoryWriter writer{files};
    HistoryBrowser browser{clock};

    void SetUp() override { clock.now = At(kToday.day, 12, 0, 0, 0, kToday.month, kToday.year); }

    void Write(LocalDate date, int hour, int minute, std::int32_t keys, int alarmTicks = 0,
               int pain = 0) {
        MinuteRecord r;
        r.minute = {date, hour, minute, 0};
        r.keys = keys;
        r.painMax = pain;
        r.alarmTicks = alarmTicks;
        r.threshold = 100;
        ASSERT_TRUE(writer.Write(r));
    }
    // The worker's part, done at once.
    bool Answer(const HistoryQuery& query) { return browser.Accept(RunHistoryQuery(files, query)); }
};

TEST_F(BrowserTest, OpensAtTodaysDayAndShowsItsFiguresOnceRead) {
    Write({2026, 3, 15}, 9, 0, 120);
    Write({2026, 3, 15}, 9, 1, 3);
    Write({2026, 3, 14}, 9, 0, 1000);  // another day
    const HistoryQuery query = browser.Open();
    EXPECT_EQ(query.view, HistoryView::Day);
    EXPECT_EQ(query.date, kToday);
    EXPECT_TRUE(browser.reading());
    EXPECT_EQ(browser.Heading(), "Sunday 2026-03-15 (reading...)");
    EXPECT_EQ(browser.TotalsText(0), "");
    EXPECT_TRUE(browser.Scene({600, 400}).panels.empty());

    ASSERT_TRUE(Answer(query));
    EXPECT_FALSE(browser.reading());
    EXPECT_EQ(browser.Heading(), "Sunday 2026-03-15");
    EXPECT_EQ(browser.TotalsText(0).substr(0, 35), "Keys 123, clicks 0, double-clicks 0");
    EXPECT_EQ(browser.Scene({600, 400}).panels.size(), 3u);
    EXPECT_FALSE(browser.canStepForward());
}

TEST_F(BrowserTest, StepsByTheViewAndNeverPastToday) {
    struct Case {
        const char* name;
        HistoryView view;
        int backs, ons;  // Previous so many times, then Next so many
        LocalDate date;
        bool forward;  // Next still possible
    };
    const Case cases[] = {
        {"a day back", HistoryView::Day, 1, 0, {2026, 3, 14}, true},
        {"back across a month", HistoryView::Day, 15, 0, {2026, 2, 28}, true},
        {"back and on again", HistoryView::Day, 3, 3, kToday, false},
        {"on from today stays", HistoryView::Day, 0, 2, kToday, false},
        {"thirty days back", HistoryView::ThirtyDays, 1, 0, {2026, 2, 13}, true},
        {"thirty back and on again", HistoryView::ThirtyDays, 2, 2, kToday, false},
        {"a week back", HistoryView::Week, 1, 0, {2026, 3, 8}, true},
        {"weeks back and one on", HistoryView::Week, 3, 1, {2026, 3, 1}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HistoryBrowser b(clock);
        b.Open();
        b.ShowView(c.view);
        for (int i = 0; i < c.backs; ++i) b.Step(-1);
        for (int i = 0; i < c.ons; ++i) b.Step(+1);
        EXPECT_EQ(b.date(), c.date);
        EXPECT_EQ(b.view(), c.view);
        EXPECT_EQ(b.canStepForward(), c.forward);
    }
    HistoryBrowser b(clock);
    b.Open();
    for (int i = 0; i < 10; ++i) b.Step(-1);
    b.ShowView(HistoryView::ThirtyDays);
    EXPECT_EQ(b.Step(+1).date, kToday);
    EXPECT_EQ(b.Heading(), "2026-02-14 to 2026-03-15 (reading...)");
    b.Step(-1);
    EXPECT_EQ(b.GoToday().date, kToday);
    EXPECT_EQ(b.view(), HistoryView::ThirtyDays);
    b.ShowView(HistoryView::Week);
    b.Step(-1);
    EXPECT_EQ(b.Heading(), "Mon 2026-03-02 to Sun 2026-03-08 (reading...)");
}

TEST_F(BrowserTest, TodayMovesWithTheClock) {
    browser.Open();
    clock.Advance(24 * 3600 * 1000);  // past midnight with the window open
    EXPECT_TRUE(browser.canStepForward());
    EXPECT_EQ(browser.Step(+1).date, (LocalDate{2026, 3, 16}));
}

TEST_F(BrowserTest, ThirtyDaysTotalsAreTheSumOfTheDays) {
    Write({2026, 2, 13}, 23, 59, 1);  // the day before the first: not in the totals
    Write({2026, 2, 14}, 10, 0, 5, 20, 150);
    Write({2026, 2, 14}, 10, 1, 5, 20, 90);  // the same alarm
    Write({2026, 3, 1}, 23, 59, 7, 10, 120);
    Write({2026, 3, 2}, 0, 0, 7, 10, 130);  // one alarm across midnight
    Write({2026, 3, 15}, 8, 0, 2);
    Write({2026, 3, 16}, 8, 0, 1000);  // after today's view: never counted
    ASSERT_TRUE(Answer(browser.Open()));
    ASSERT_TRUE(Answer(browser.ShowView(HistoryView::ThirtyDays)));
    const HistoryResult& shown = browser.shown();
    ASSERT_EQ(shown.days.size(), 30u);
    EXPECT_EQ(shown.totals.keys, 26);
    EXPECT_EQ(shown.totals.alarms, 2);
    EXPECT_EQ(shown.totals.alarmTicks, 60);
    EXPECT_EQ(shown.totals.painMax, 150);
    EXPECT_EQ(shown.totals.activeMinutes, 5);
    EXPECT_EQ(browser.TotalsText(0), DayTotalsText(shown.totals, 0));
    EXPECT_EQ(browser.Scene({600, 400}).panels.size(), 5u);
}

TEST_F(BrowserTest, AWeekShowsItsTimeAndTheThirtyDaysEachDaysWeekOfMouseUse) {
    const auto use = [this](LocalDate date, int hour, int minute, std::int32_t keys,
                            std::int32_t movePx) {
        MinuteRecord r;
        r.minute = {date, hour, minute, 60};
        r.keys = keys;
        r.movePx = movePx;
        r.threshold = 100;
        ASSERT_TRUE(writer.Write(r));
    };
    use({2026, 3, 8}, 23, 59, 0, 10);  // the Sunday before the week
    for (int day = 9; day <= 15; ++day) {
        for (int m = 0; m < day - 8; ++m) use({2026, 3, day}, 9, m, m % 2, 5);  // 1 to 7 min
    }
    ASSERT_TRUE(Answer(browser.Open()));
    ASSERT_TRUE(Answer(browser.ShowView(HistoryView::Week)));
    const HistoryResult& week = browser.shown();
    ASSERT_EQ(week.days.size(), 7u);
    EXPECT_EQ(week.days.front().date, (LocalDate{2026, 3, 9}));
    EXPECT_EQ(week.totals.mouseMinutes, 28);
    EXPECT_EQ(week.totals.keyboardMinutes, 12);
    EXPECT_EQ(browser.TotalsText(0).substr(0, 67),
              "Mouse 28 min, keyboard 12 min, active 28 min in the week\nKeys 12, c");
    EXPECT_EQ(browser.Scene({600, 400}).panels.size(), 2u);

    ASSERT_TRUE(Answer(browser.ShowView(HistoryView::ThirtyDays)));
    const std::vector<std::int32_t>& weekly = browser.shown().weeklyMouseMinutes;
    ASSERT_EQ(weekly.size(), 30u);
    EXPECT_EQ(weekly[29], 28);
    EXPECT_EQ(weekly[28], 1 + 21) << "the Sunday before and six days of the week";
    EXPECT_EQ(weekly[22], 1) << "only the Sunday before";
    EXPECT_EQ(weekly[21], 0);
    const std::vector<DayTotals>& days = browser.shown().days;
    ASSERT_EQ(days.size(), 30u);
    EXPECT_EQ(days.front().date, (LocalDate{2026, 2, 14}));
    EXPECT_EQ(days.back().date, (LocalDate{2026, 3, 15}));
    EXPECT_EQ(days[22].mouseMinutes, 1) << "the Sunday before";
    EXPECT_EQ(days[29].mouseMinutes, 7);
}

TEST_F(BrowserTest, AnAlarmFromTheEveningBeforeDidNotStartOnTheFirstOfTheMonth) {
    Write({2026, 2, 28}, 23, 59, 1, 20, 150);
    Write({2026, 3, 1}, 0, 0, 1, 20, 150);
    browser.Open();
    HistoryQuery query;
    for (int i = 0; i < 14; ++i) query = browser.Step(-1);
    ASSERT_EQ(query.date, (LocalDate{2026, 3, 1}));
    ASSERT_TRUE(Answer(query));
    EXPECT_EQ(browser.shown().totals.keys, 1);
    EXPECT_EQ(browser.shown().totals.alarms, 0);
    EXPECT_EQ(browser.shown().totals.alarmTicks, 20);
}

TEST_F(BrowserTest, OnlyTheNewestQueryIsAnswered) {
    Write({2026, 3, 14}, 9, 0, 14);
    Write({2026, 3, 15}, 9, 0, 15);
    const HistoryQuery today = browser.Open();
    const HistoryQuery yesterday = browser.Step(-1);
    EXPECT_FALSE(Answer(today));  // late: the user has moved on
    EXPECT_TRUE(browser.reading());
    EXPECT_FALSE(browser.hasResult());
    ASSERT_TRUE(Answer(yesterday));
    EXPECT_EQ(browser.shown().totals.keys, 14);
    EXPECT_FALSE(Answer(yesterday));  // answered once

    HistoryResult cancelled = RunHistoryQuery(files, browser.GoToday());
    cancelled.cancelled = true;
    EXPECT_FALSE(browser.Accept(cancelled));
    EXPECT_TRUE(browser.reading());

    const HistoryQuery beforeClose = browser.Open();
    browser.Close();
    EXPECT_FALSE(Answer(beforeClose));
    EXPECT_FALSE(browser.reading());
}

TEST_F(BrowserTest, AReadAgainKeepsTheFiguresShownUntilItIsAnswered) {
    Write({2026, 3, 15}, 9, 0, 15);
    ASSERT_TRUE(Answer(browser.Open()));
    const HistoryQuery again = browser.Open();  // still open: the same place
    EXPECT_EQ(again.date, kToday);
    EXPECT_TRUE(browser.hasResult());
    EXPECT_FALSE(browser.TotalsText(0).empty());
    browser.Step(-1);  // another day: today's figures would mislead
    EXPECT_FALSE(browser.hasResult());
    EXPECT_EQ(browser.TotalsText(0), "");
}

TEST_F(BrowserTest, AClosedWindowOpensAgainAtToday) {
    browser.Open();
    browser.ShowView(HistoryView::ThirtyDays);
    browser.Step(-1);
    browser.Close();
    const HistoryQuery query = browser.Open();
    EXPECT_EQ(query.view, HistoryView::Day);
    EXPECT_EQ(query.date, kToday);
}

TEST_F(BrowserTest, AFailedReadSaysSoAndDrawsNothing) {
    Write({2026, 2, 20}, 9, 0, 20);
    Write({2026, 3, 15}, 9, 0, 15);
    files.unreadable.insert({2026, 2});
    ASSERT_TRUE(Answer(browser.Open()));  // today needs March (and the 14th) only
    EXPECT_FALSE(browser.failed());
    ASSERT_TRUE(Answer(browser.ShowView(HistoryView::ThirtyDays)));
    EXPECT_TRUE(browser.failed());
    EXPECT_FALSE(browser.reading());
    EXPECT_EQ(browser.TotalsText(96), "Can't read the usage history.");
    EXPECT_EQ(browser.Heading(), "2026-02-14 to 2026-03-15");
    const PlotScene scene = browser.Scene({600, 400});
    EXPECT_TRUE(scene.panels.empty() && scene.bars.empty() && scene.labels.empty());
    EXPECT_EQ(scene.size.width, 600);

    files.unreadable.clear();  // readable again: the next read shows it
    ASSERT_TRUE(Answer(browser.GoToday()));
    EXPECT_FALSE(browser.failed());
    EXPECT_EQ(browser.shown().totals.keys, 35);
}

TEST_F(BrowserTest, TheChoiceOfComputersMarksThisOneAndKeepsAChosenOneThatIsGone) {
    const auto answer = [this](const HistoryQuery& query, std::vector<HistoryComputer> computers) {
        HistoryResult result = RunHistoryQuery(files, query);
        result.computers = std::move(computers);
        return browser.Accept(result);
    };
    const HistoryComputer laptop{"0123456789abcdef", "laptop", true, false, {}};
    const HistoryComputer desk{"fedcba9876543210", "desk", false, false, {}};

    ASSERT_TRUE(answer(browser.Open(), {laptop}));
    HistoryBrowser::ComputerChoices choices = browser.Computers();
    EXPECT_FALSE(choices.shown) << "one computer: nothing to choose";

    ASSERT_TRUE(answer(browser.GoToday(), {laptop, desk}));
    choices = browser.Computers();
    using Entries = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(
        choices.entries,
        (Entries{{"All computers", ""}, {"laptop (this one)", laptop.id}, {"desk", desk.id}}));
    EXPECT_EQ(choices.chosen, 0u);
    EXPECT_TRUE(choices.shown);

    ASSERT_TRUE(answer(browser.ShowComputer(desk.id), {laptop, desk}));
    EXPECT_EQ(browser.Computers().chosen, 2u);
    // The desk's folder is gone from the shared folder: the choice stays to choose another.
    ASSERT_TRUE(answer(browser.GoToday(), {laptop}));
    choices = browser.Computers();
    EXPECT_EQ(choices.chosen, 0u);
    EXPECT_TRUE(choices.shown);
}

}  // namespace
}  // namespace tavrel::testing
