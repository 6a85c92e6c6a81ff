// One read of the usage history for a History window: what to read and what it found. A shell
// runs RunHistoryQuery on a worker thread of its own and hands the result back to the browser.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "tavrel/history_files.h"
#include "tavrel/history_log.h"

namespace tavrel {

enum class HistoryView { Day, ThirtyDays };

constexpr int kHistoryDays = 30;  // of the 30-day view

struct HistoryQuery {
    std::uint64_t serial = 0;  // counts the browser's queries: a result names the one it answers
    HistoryView view = HistoryView::Day;
    LocalDate date;  // the day shown, or the last of the thirty
};

// The first day a query shows.
LocalDate FirstDayOf(const HistoryQuery& query);

struct HistoryResult {
    HistoryQuery query;
    DayDetail day;                // the Day view's figures
    std::vector<DayTotals> days;  // the 30-day view's, oldest first
    DayTotals totals;             // of the day, or of the thirty days together
    bool failed = false;          // a month file could not be read: the figures are not shown
    bool cancelled = false;       // stopped early: nothing in it is whole
    double readMs = 0;            // reading and summing
};

// Reads the months the query needs and builds its figures. `cancel` (may be null) is looked
// at between files.
HistoryResult RunHistoryQuery(HistoryFiles& files, const HistoryQuery& query,
                              const std::atomic<bool>* cancel = nullptr);

}  // namespace tavrel
