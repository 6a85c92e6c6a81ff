// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/history_browser.h"

#include <cstdio>

#include "tavrel/history_views.h"

namespace tavrel {

const HistoryQuery& HistoryBrowser::Open() {
    if (!open_) {
        open_ = true;
        return Ask(HistoryView::Day, Today());
    }
    return Ask(query_.view, query_.date);
}

void HistoryBrowser::Close() {
    open_ = false;
    reading_ = false;
    ++query_.serial;  // a result still on its way answers nothing
}

const HistoryQuery& HistoryBrowser::ShowView(HistoryView view) {
    return Ask(view, query_.date);
}

const HistoryQuery& HistoryBrowser::ShowComputer(const std::string& id) {
    if (id != query_.computer) hasResult_ = false;
    query_.computer = id;
    return Ask(query_.view, query_.date);
}

const HistoryQuery& HistoryBrowser::Step(int direction) {
    const int days = DaysOf(query_.view);
    const LocalDate today = Today();
    LocalDate date = AddDays(query_.date, (direction < 0 ? -1 : 1) * days);
    if (DayNumber(date) > DayNumber(today)) date = today;
    return Ask(query_.view, date);
}

const HistoryQuery& HistoryBrowser::GoToday() {
    return Ask(query_.view, Today());
}

const HistoryQuery& HistoryBrowser::Ask(HistoryView view, const LocalDate& date) {
    // The figures shown stay while the same view and date are read again.
    if (view != query_.view || date != query_.date) hasResult_ = false;
    query_.view = view;
    query_.date = date;
    ++query_.serial;
    reading_ = true;
    return query_;
}

bool HistoryBrowser::Accept(const HistoryResult& result) {
    if (result.query.serial != query_.serial || result.cancelled || !reading_) return false;
    shown_ = result;
    hasResult_ = true;
    reading_ = false;
    return true;
}

bool HistoryBrowser::canStepForward() {
    return DayNumber(query_.date) < DayNumber(Today());
}

LocalDate HistoryBrowser::Today() {
    const SystemTime now = clock_.LocalNow().time;
    return LocalDate{now.year, now.month, now.day};
}

std::string HistoryBrowser::Heading() const {
    const auto named = [](const LocalDate& date) {
        return std::string(WeekdayName(date)) + " " + DateText(date);
    };
    std::string text;
    switch (query_.view) {
        case HistoryView::Day:
            text = named(query_.date);
            break;
        case HistoryView::Week:
            // Short names: the heading shares its row with the buttons.
            text = std::string(WeekdayName(FirstDayOf(query_)), 3) + " " +
                   DateText(FirstDayOf(query_)) + " to " +
                   std::string(WeekdayName(query_.date), 3) + " " + DateText(query_.date);
            break;
        case HistoryView::ThirtyDays:
            text = DateText(FirstDayOf(query_)) + " to " + DateText(query_.date);
            break;
    }
    if (reading_) text += " (reading...)";
    return text;
}

std::string HistoryBrowser::TotalsText(double dpi) const {
    if (!hasResult_) return {};
    if (shown_.failed) return kHistoryReadFailedText;
    return shown_.query.view == HistoryView::Week ? WeekTotalsText(shown_.totals, dpi)
                                                  : DayTotalsText(shown_.totals, dpi);
}

namespace {

std::string ComputerName(const HistoryComputer& c) {
    return c.name + (c.thisComputer ? " (this one)" : "");
}

}  // namespace

HistoryBrowser::ComputerChoices HistoryBrowser::Computers() const {
    ComputerChoices choices;
    choices.entries.emplace_back("All computers", std::string());
    for (const HistoryComputer& c : shown_.computers) {
        if (c.id == query_.computer) choices.chosen = choices.entries.size();
        choices.entries.emplace_back(ComputerName(c), c.id);
    }
    choices.shown = shown_.computers.size() > 1 || !query_.computer.empty();
    return choices;
}

std::string HistoryBrowser::ComputersText() const {
    if (!shown_.sharedProblem.empty()) return shown_.sharedProblem;
    if (shown_.computers.size() < 2) return {};
    std::string text = "Computers: ";
    for (std::size_t i = 0; i < shown_.computers.size(); ++i) {
        const HistoryComputer& c = shown_.computers[i];
        if (i > 0) text += "; ";
        text += ComputerName(c);
        if (c.wrote) {
            char when[32];
            std::snprintf(when, sizeof when, " %02d:%02d", c.lastMinute.hour, c.lastMinute.minute);
            text += ", last minute " + DateText(c.lastMinute.date) + when;
        } else {
            text += ", no minutes yet";
        }
    }
    return text;
}

PlotScene HistoryBrowser::Scene(PlotSize size) const {
    if (!hasResult_ || shown_.failed) {
        PlotScene empty;
        empty.size = size;
        return empty;
    }
    switch (shown_.query.view) {
        case HistoryView::Day:
            return BuildDayView(shown_.day, size);
        case HistoryView::Week:
            return BuildWeekView(shown_.days, size);
        case HistoryView::ThirtyDays:
            break;
    }
    return BuildMonthView(shown_.days, shown_.weeklyMouseMinutes, size);
}

}  // namespace tavrel
