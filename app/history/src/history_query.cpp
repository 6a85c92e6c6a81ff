// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/history_query.h"

#include <chrono>
#include <exception>
#include <memory>

#include "tavrel/directory_history_files.h"
#include "tavrel/shared_history_folder.h"
#include "tavrel/shared_history_texts.h"

namespace tavrel {

int DaysOf(HistoryView view) {
    switch (view) {
        case HistoryView::Day:
            return 1;
        case HistoryView::Week:
            return kWeekDays;
        case HistoryView::ThirtyDays:
            break;
    }
    return kHistoryDays;
}

LocalDate FirstDayOf(const HistoryQuery& query) {
    return AddDays(query.date, 1 - DaysOf(query.view));
}

namespace {

void BuildFigures(const HistoryLog& log, HistoryResult& result) {
    const HistoryQuery& query = result.query;
    const int days = DaysOf(query.view);
    if (query.view == HistoryView::Day) {
        result.day = BuildDayDetail(log, query.date);
        result.totals = result.day.totals;
        return;
    }
    result.totals = BuildRangeTotals(log, query.date, days);
    if (query.view != HistoryView::ThirtyDays) {
        result.days = BuildDailyTotals(log, query.date, days);
        return;
    }
    // Each day's seven, so the six days before the first are summed too; a day's totals do
    // not depend on where the list begins, so the shown days are the span's last.
    const std::vector<DayTotals> span = BuildDailyTotals(log, query.date, days + kWeekDays - 1);
    result.days.assign(span.end() - days, span.end());
    std::int32_t week = 0;
    for (std::size_t i = 0; i < span.size(); ++i) {
        week += span[i].mouseMinutes;
        if (i >= kWeekDays) week -= span[i - kWeekDays].mouseMinutes;
        if (i + 1 >= kWeekDays) result.weeklyMouseMinutes.push_back(week);
    }
}

HistoryResult Run(const std::vector<HistoryFiles*>& computers, HistoryResult result,
                  const std::atomic<bool>* cancel) {
    const auto start = std::chrono::steady_clock::now();
    const HistoryQuery query = result.query;
    try {
        // From the day before the first, so that an alarm that began the evening before is
        // not taken to begin on the first day; for the 30-day view from a week before, for
        // the first days' weeks.
        const int before = query.view == HistoryView::ThirtyDays ? kWeekDays : 1;
        const HistoryLog log = ReadHistory(computers, MonthOf(AddDays(FirstDayOf(query), -before)),
                                           MonthOf(query.date), cancel);
        result.cancelled = log.cancelled;
        result.failed = log.failed;
        if (!log.cancelled && !log.failed) BuildFigures(log, result);
    } catch (const std::exception&) {
        // Out of memory, say: the window says it cannot read rather than show a part.
        std::vector<HistoryComputer> computersFound = std::move(result.computers);
        result = HistoryResult{};
        result.query = query;
        result.computers = std::move(computersFound);
        result.failed = true;
    }
    if (result.failed) {
        result.day = DayDetail{};
        result.days.clear();
        result.weeklyMouseMinutes.clear();
        result.totals = DayTotals{};
    }
    result.readMs +=
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return result;
}

}  // namespace

HistoryResult RunHistoryQuery(HistoryFiles& files, const HistoryQuery& query,
                              const std::atomic<bool>* cancel) {
    HistoryResult result;
    result.query = query;
    return Run({&files}, std::move(result), cancel);
}

HistoryResult RunHistoryQuery(const HistoryPlaces& places, const HistoryQuery& query,
                              const std::atomic<bool>* cancel) {
    const auto start = std::chrono::steady_clock::now();
    HistoryResult result;
    result.query = query;
    std::vector<std::unique_ptr<DirectoryHistoryFiles>> files;
    try {
        files.push_back(std::make_unique<DirectoryHistoryFiles>(places.local));
        result.computers.push_back({places.ownId, places.ownName, true, false, {}});
        if (!places.shared.empty()) {
            std::vector<SharedComputer> shared;
            std::error_code error;
            if (FindSharedComputers(places.shared, places.ownId, shared, error)) {
                for (SharedComputer& computer : shared) {
                    files.push_back(std::make_unique<DirectoryHistoryFiles>(computer.folder));
                    result.computers.push_back(
                        {std::move(computer.id), std::move(computer.name), false, false, {}});
                }
            } else {
                result.sharedProblem = SharedFolderReadText(places.shared, error);
            }
        }
    } catch (const std::exception&) {
        result.failed = true;
        return result;
    }
    std::vector<HistoryFiles*> chosen;
    for (std::size_t i = 0; i < files.size(); ++i) {
        HistoryComputer& computer = result.computers[i];
        computer.wrote = FindLastMinute(*files[i], computer.lastMinute);
        // A computer no longer there shows nothing rather than everything.
        if (query.computer.empty() || query.computer == computer.id)
            chosen.push_back(files[i].get());
    }
    result.readMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return Run(chosen, std::move(result), cancel);
}

}  // namespace tavrel
