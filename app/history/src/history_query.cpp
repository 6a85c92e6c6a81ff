#include "tavrel/history_query.h"

#include <chrono>
#include <exception>

namespace tavrel {

LocalDate FirstDayOf(const HistoryQuery& query) {
    return query.view == HistoryView::Day ? query.date : AddDays(query.date, 1 - kHistoryDays);
}

HistoryResult RunHistoryQuery(HistoryFiles& files, const HistoryQuery& query,
                              const std::atomic<bool>* cancel) {
    const auto start = std::chrono::steady_clock::now();
    HistoryResult result;
    result.query = query;
    try {
        const LocalDate first = FirstDayOf(query);
        const int days = query.view == HistoryView::Day ? 1 : kHistoryDays;
        // From the day before the first: an alarm that began the evening before did not
        // begin on the first day, and only its minutes before midnight say so.
        const HistoryLog log =
            ReadHistory(files, MonthOf(AddDays(first, -1)), MonthOf(query.date), cancel);
        result.cancelled = log.cancelled;
        result.failed = log.failed;
        if (log.cancelled || log.failed) return result;
        if (query.view == HistoryView::Day) {
            result.day = BuildDayDetail(log, query.date);
            result.totals = result.day.totals;
        } else {
            result.days = BuildDailyTotals(log, query.date, days);
            result.totals = BuildRangeTotals(log, query.date, days);
        }
    } catch (const std::exception&) {
        // Out of memory, say: the window says it cannot read rather than show a part.
        result = HistoryResult{};
        result.query = query;
        result.failed = true;
    }
    result.readMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return result;
}

}  // namespace tavrel
