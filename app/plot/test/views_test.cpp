// SPDX-License-Identifier: GPL-3.0-or-later
// The day, week and 30-day views: where their parts land for an empty day, a day with one
// minute, a very busy day and a week against the references, and that nothing leaves the scene
// or overlaps its neighbour label.
#include <gtest/gtest.h>

#include <algorithm>

#include "tavrel/history_views.h"

namespace tavrel {
namespace {

constexpr PlotSize kSize{640, 420};

bool Inside(const PlotRect& r, const PlotSize& size) {
    return r.left >= 0 && r.top >= 0 && r.right <= size.width && r.bottom <= size.height &&
           r.left <= r.right && r.top <= r.bottom;
}

// Everything in the scene, labels with their estimated extent, and no two labels on one
// line overlapping.
void ExpectWellLaidOut(const PlotScene& scene) {
    const PlotSize& size = scene.size;
    for (const PlotSpan& s : scene.spans) EXPECT_TRUE(Inside(s.rect, size));
    for (const PlotBar& b : scene.bars) EXPECT_TRUE(Inside(b.rect, size));
    for (const PlotLine& l : scene.lines) {
        EXPECT_TRUE(Inside({std::min(l.from.x, l.to.x), std::min(l.from.y, l.to.y),
                            std::max(l.from.x, l.to.x), std::max(l.from.y, l.to.y)},
                           size));
    }
    for (const PlotPolyline& p : scene.polylines) {
        EXPECT_GE(p.points.size(), 2u);
        for (const PlotPoint& q : p.points) EXPECT_TRUE(Inside({q.x, q.y, q.x, q.y}, size));
    }
    std::vector<PlotRect> boxes;
    for (const PlotLabel& l : scene.labels) {
        const double w = EstimateTextWidth(l.text, l.size);
        const double left = l.hAlign == HAlign::Left     ? l.anchor.x
                            : l.hAlign == HAlign::Center ? l.anchor.x - w / 2
                                                         : l.anchor.x - w;
        const double top = l.vAlign == VAlign::Top      ? l.anchor.y
                           : l.vAlign == VAlign::Middle ? l.anchor.y - l.size / 2
                                                        : l.anchor.y - l.size;
        const PlotRect box{left, top, left + w, top + l.size};
        EXPECT_TRUE(Inside(box, size)) << l.text;
        for (const PlotRect& other : boxes) {
            const bool apart = box.right <= other.left || other.right <= box.left ||
                               box.bottom <= other.top || other.bottom <= box.top;
            EXPECT_TRUE(apart) << "\"" << l.text << "\" overlaps another label";
        }
        boxes.push_back(box);
    }
}

std::vector<std::string> Texts(const PlotScene& scene) {
    std::vector<std::string> texts;
    for (const PlotLabel& l : scene.labels) texts.push_back(l.text);
    return texts;
}

bool Has(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST(DayViewTest, AnEmptyDayShowsItsAxesAndSaysSo) {
    DayDetail day;
    day.totals.date = {2026, 12, 7};
    const PlotScene scene = BuildDayView(day, kSize);
    ExpectWellLaidOut(scene);
    EXPECT_TRUE(scene.polylines.empty());
    EXPECT_TRUE(scene.spans.empty());
    EXPECT_TRUE(scene.bars.empty());
    const std::vector<std::string> texts = Texts(scene);
    EXPECT_TRUE(Has(texts, "No activity recorded"));
    EXPECT_TRUE(Has(texts, "2026-12-07"));
    EXPECT_TRUE(Has(texts, "0:00") && Has(texts, "24:00"));
    EXPECT_TRUE(Has(texts, "4") && !Has(texts, "0.5")) << "counts get whole-number ticks";
    ASSERT_EQ(scene.panels.size(), 3u);
}

TEST(DayViewTest, OneMinuteIsDrawnWhereItHappened) {
    DayDetail day;
    day.minutes.push_back({600, 50, 20, 100});  // 10:00, half the threshold, in alarm
    day.hours[10].keys = 40;
    day.hours[10].clicks = 10;
    const PlotScene scene = BuildDayView(day, kSize);
    ExpectWellLaidOut(scene);
    const PlotRect& pain = scene.panels[0];
    const auto xAt = [&](double minute) { return pain.left + minute / 1440 * pain.width(); };

    ASSERT_EQ(scene.polylines.size(), 1u);
    const std::vector<PlotPoint>& points = scene.polylines[0].points;
    ASSERT_EQ(points.size(), 2u) << "a lone minute is a short level line, visible";
    EXPECT_LE(points[0].x, xAt(600));
    EXPECT_GE(points[1].x, xAt(601));
    EXPECT_GE(points[1].x - points[0].x, 3.0) << "wide enough to see on any screen";
    EXPECT_DOUBLE_EQ((points[0].x + points[1].x) / 2, xAt(600.5));

    ASSERT_EQ(scene.spans.size(), 1u);
    EXPECT_DOUBLE_EQ(scene.spans[0].rect.left, xAt(600));
    EXPECT_DOUBLE_EQ(scene.spans[0].rect.top, pain.top);
    const auto threshold = std::find_if(scene.lines.begin(), scene.lines.end(),
                                        [](const PlotLine& l) { return l.ink == Ink::Threshold; });
    ASSERT_NE(threshold, scene.lines.end());
    EXPECT_GT(threshold->from.y, pain.top) << "the threshold lies below the panel's frame";
    EXPECT_DOUBLE_EQ(pain.bottom - threshold->from.y, 2 * (pain.bottom - points[0].y))
        << "pain 50 at half the threshold's height";

    // The keys' bar of 10:00 reaches the top of its axis, the clicks' a quarter of it.
    std::vector<PlotBar> bars = scene.bars;
    ASSERT_EQ(bars.size(), 2u);
    const PlotRect& counts = scene.panels[1];
    EXPECT_DOUBLE_EQ(bars[0].rect.top, counts.top);
    EXPECT_DOUBLE_EQ(bars[1].rect.top, counts.bottom - counts.height() / 4);
    EXPECT_GT(bars[0].rect.left, counts.left + 10.0 / 24 * counts.width());
}

TEST(DayViewTest, AVeryBusyDayStaysReadable) {
    DayDetail day;
    int runs = 0;
    for (int m = 0; m < 1440; ++m) {
        const bool alarm = (m / 90) % 2 == 1;
        if (alarm && (m % 90) == 0) ++runs;
        day.minutes.push_back({m, 40 + m % 300, alarm ? 600 : 0, m < 720 ? 150 : 200});
    }
    for (HourTotals& h : day.hours) {
        h = {2000000, 150000, 900, 90000000, 12000000};
    }
    for (const PlotSize size : {kSize, PlotSize{320, 240}, PlotSize{1920, 1000}}) {
        const PlotScene scene = BuildDayView(day, size);
        ExpectWellLaidOut(scene);
        ASSERT_EQ(scene.polylines.size(), 1u);
        EXPECT_EQ(scene.polylines[0].points.size(), 2880u);
        EXPECT_EQ(scene.spans.size(), static_cast<std::size_t>(runs));
        EXPECT_EQ(std::count_if(scene.lines.begin(), scene.lines.end(),
                                [](const PlotLine& l) { return l.ink == Ink::Threshold; }),
                  2)
            << "the threshold steps where it was changed";
        EXPECT_TRUE(Has(Texts(scene), "2M")) << "large counts are shortened";
    }
}

TEST(MonthViewTest, ThirtyDaysOneSlotEachAndTodayLabelled) {
    std::vector<DayTotals> days(30);
    for (int i = 0; i < 30; ++i) {
        DayTotals& d = days[static_cast<std::size_t>(i)];
        d.date = AddDays({2026, 12, 7}, i - 29);
        if (i == 10) continue;  // a day off
        d.keys = 20000 + i * 100;
        d.clicks = 3000;
        d.movePx = 900000;
        d.dragPx = 50000;
        d.painMax = 80 + i;
        d.alarms = i % 4;
    }
    std::vector<std::int32_t> weekly(30);
    for (int i = 0; i < 30; ++i) weekly[static_cast<std::size_t>(i)] = i * 60;  // 0 to 29 h
    const PlotScene scene = BuildMonthView(days, weekly, kSize);
    ExpectWellLaidOut(scene);
    // The grid goes under the bars: none of it among the lines drawn over them.
    EXPECT_FALSE(scene.grid.empty());
    for (const PlotLine& line : scene.lines) EXPECT_NE(line.ink, Ink::Grid);
    // The day off breaks the peak line: a day without use has no peak, not a peak of 0.
    ASSERT_EQ(scene.polylines.size(), 3u);
    EXPECT_EQ(scene.polylines[0].points.size(), 10u);
    ASSERT_EQ(scene.polylines[1].points.size(), 19u);
    const PlotRect& pain = scene.panels[0];
    for (int i = 0; i < 2; ++i) {
        for (const PlotPoint& point : scene.polylines[i].points) EXPECT_LT(point.y, pain.bottom);
    }
    EXPECT_DOUBLE_EQ(scene.polylines[1].points[18].x, pain.left + 29.5 / 30 * pain.width());
    const std::vector<std::string> texts = Texts(scene);
    EXPECT_TRUE(Has(texts, "12-07"));
    EXPECT_TRUE(Has(texts, "Peak pain"));

    // The weekly mouse hours: one point a day, crossing the 20-hour reference on day 20.
    ASSERT_EQ(scene.panels.size(), 5u);
    const PlotRect& week = scene.panels[4];
    const PlotPolyline& weeklyLine = scene.polylines[2];
    ASSERT_EQ(weeklyLine.points.size(), 30u);
    const auto reference = std::find_if(scene.lines.begin(), scene.lines.end(),
                                        [](const PlotLine& l) { return l.ink == Ink::Reference; });
    ASSERT_NE(reference, scene.lines.end());
    EXPECT_TRUE(reference->dashed);
    EXPECT_GT(reference->from.y, week.top);
    EXPECT_LT(reference->from.y, week.bottom);
    EXPECT_DOUBLE_EQ(weeklyLine.points[20].y, reference->from.y);
    EXPECT_DOUBLE_EQ(weeklyLine.points[0].y, week.bottom);
    EXPECT_TRUE(Has(texts, "20 h of mouse use a week (reference)"));

    for (const std::size_t n : {std::size_t{1}, std::size_t{0}}) {
        const PlotScene small = BuildMonthView(std::vector<DayTotals>(days.end() - n, days.end()),
                                               {}, PlotSize{300, 260});
        ExpectWellLaidOut(small);
        EXPECT_TRUE(small.polylines.empty());
        EXPECT_EQ(Has(Texts(small), "No days to show"), n == 0);
    }
}

DayTotals UseOf(LocalDate date, int active, int mouse, int keyboard) {
    DayTotals d;
    d.date = date;
    d.activeMinutes = active;
    d.mouseMinutes = mouse;
    d.keyboardMinutes = keyboard;
    return d;
}

std::vector<PlotBar> BarsOf(const PlotScene& scene, Ink ink) {
    std::vector<PlotBar> bars;
    for (const PlotBar& b : scene.bars) {
        if (b.ink == ink) bars.push_back(b);
    }
    return bars;
}

TEST(WeekViewTest, DaysInHoursAgainstTheDailyAndTheWeeklyReference) {
    // Monday 2026-03-09 to Sunday 2026-03-15: five working days of 3 h of mouse use each, then
    // a weekend with one long Saturday and nothing on Sunday.
    std::vector<DayTotals> days;
    for (int i = 0; i < 7; ++i) {
        const LocalDate date = AddDays({2026, 3, 9}, i);
        days.push_back(i < 5    ? UseOf(date, 300, 180, 120)
                       : i == 5 ? UseOf(date, 480, 360, 60)
                                : UseOf(date, 0, 0, 0));
    }
    for (const PlotSize size : {kSize, PlotSize{480, 320}, PlotSize{1600, 900}}) {
        SCOPED_TRACE(size.width);
        const PlotScene scene = BuildWeekView(days, size);
        ExpectWellLaidOut(scene);
        ASSERT_EQ(scene.panels.size(), 2u);
        const PlotRect& perDay = scene.panels[0];
        const PlotRect& adding = scene.panels[1];
        const std::vector<std::string> texts = Texts(scene);
        EXPECT_TRUE(Has(texts, "Mon 03-09") && Has(texts, "Sun 03-15"));

        std::vector<PlotLine> references;
        for (const PlotLine& l : scene.lines) {
            if (l.ink == Ink::Reference) references.push_back(l);
        }
        ASSERT_EQ(references.size(), 2u);
        const double sixHours = references[0].from.y, twentyHours = references[1].from.y;
        EXPECT_TRUE(sixHours > perDay.top && sixHours < perDay.bottom);
        EXPECT_TRUE(twentyHours > adding.top && twentyHours < adding.bottom);
        EXPECT_EQ(std::count_if(scene.labels.begin(), scene.labels.end(),
                                [](const PlotLabel& l) { return l.ink == Ink::Reference; }),
                  2)
            << "both references named";

        // Saturday's 8 h of use reach above the 6-hour line, its 6 h of mouse use onto it.
        const std::vector<PlotBar> active = BarsOf(scene, Ink::ActiveTime);
        const std::vector<PlotBar> mouse = BarsOf(scene, Ink::MouseTime);
        const std::vector<PlotBar> keyboard = BarsOf(scene, Ink::KeyboardTime);
        ASSERT_EQ(active.size(), 6u) << "Sunday has no bars";
        ASSERT_EQ(keyboard.size(), 6u);
        ASSERT_EQ(mouse.size(), 13u) << "six a day, seven adding up";
        EXPECT_LT(active[5].rect.top, sixHours);
        EXPECT_NEAR(mouse[10].rect.top, sixHours, 1e-9);
        EXPECT_NEAR(perDay.bottom - mouse[0].rect.top, (perDay.bottom - sixHours) / 2, 1e-9);
        // Mouse and keyboard side by side in front of all use.
        EXPECT_LE(active[0].rect.left, mouse[0].rect.left);
        EXPECT_LE(mouse[0].rect.right, keyboard[0].rect.left);
        EXPECT_LE(keyboard[0].rect.right, active[0].rect.right);

        // Adding up: 15 h by Friday, 21 h on Saturday, past the weekly reference.
        std::vector<PlotBar> sums;
        for (const PlotBar& b : mouse) {
            if (b.rect.top >= adding.top) sums.push_back(b);
        }
        ASSERT_EQ(sums.size(), 7u);
        EXPECT_NEAR((adding.bottom - sums[4].rect.top) / (adding.bottom - twentyHours), 15.0 / 20,
                    1e-9);
        EXPECT_LT(sums[5].rect.top, twentyHours);
        EXPECT_EQ(sums[6].rect.top, sums[5].rect.top) << "Sunday adds nothing";
    }
}

TEST(WeekViewTest, AnEmptyWeekStillShowsTheReferencesAndSaysSo) {
    std::vector<DayTotals> days;
    for (int i = 0; i < 7; ++i) days.push_back(UseOf(AddDays({2026, 3, 9}, i), 0, 0, 0));
    const PlotScene scene = BuildWeekView(days, kSize);
    ExpectWellLaidOut(scene);
    EXPECT_TRUE(scene.bars.empty());
    EXPECT_TRUE(Has(Texts(scene), "No activity recorded"));
    EXPECT_TRUE(Has(Texts(scene), "6 h of computer use a day (reference)"));
    // However narrow, a reference keeps a name that fits.
    const PlotScene narrow = BuildWeekView(days, PlotSize{300, 240});
    ExpectWellLaidOut(narrow);
    EXPECT_TRUE(Has(Texts(narrow), "6 h a day"));
}

TEST(TotalsTextTest, GivesDistancesInPixelsAndMetresOnTheScreen) {
    DayTotals t;
    t.keys = 12345;
    t.clicks = -2;
    t.doubleClicks = 56;
    t.movePx = 3780;  // one metre at 96 pixels per inch
    t.dragPx = 1234567;
    t.alarms = 3;
    t.activeMinutes = 412;
    t.mouseMinutes = 60;
    t.keyboardMinutes = 59;
    EXPECT_EQ(DayTotalsText(t, 96),
              "Keys 12 345, clicks -2, double-clicks 56\n"
              "Moved 3 780 px (1.0 m), dragged 1 234 567 px (326.6 m)\n"
              "Alarms 3; active 6 h 52 min, mouse 1 h, keyboard 59 min");
    EXPECT_EQ(DayTotalsText(t, 0).find(" m)"), std::string::npos);
    t.mouseMinutes = 1234 * 60 + 5;
    EXPECT_EQ(WeekTotalsText(t, 0),
              "Mouse 1 234 h 5 min, keyboard 59 min, active 6 h 52 min in the week\n"
              "Keys 12 345, clicks -2, double-clicks 56\n"
              "Moved 3 780 px, dragged 1 234 567 px");
}

}  // namespace
}  // namespace tavrel
