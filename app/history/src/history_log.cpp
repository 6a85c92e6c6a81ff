// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/history_log.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

namespace tavrel {

namespace {

constexpr std::int64_t kMinutesPerDay = 1440;

std::int32_t AddSaturated(std::int32_t a, std::int32_t b) {
    const std::int64_t sum = static_cast<std::int64_t>(a) + b;
    if (sum > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (sum < std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(sum);
}

std::int64_t KeyOf(const LocalDate& date) {
    return static_cast<std::int64_t>(DayNumber(date)) * kMinutesPerDay;
}

// An alarm starts in a minute in alarm whose previous minute was not.
bool AlarmStarts(const std::vector<HistoryMinute>& minutes, std::size_t i) {
    if (minutes[i].alarmTicks <= 0) return false;
    return i == 0 || minutes[i - 1].key != minutes[i].key - 1 || minutes[i - 1].alarmTicks <= 0;
}

void AddToDay(DayTotals& day, const std::vector<HistoryMinute>& minutes, std::size_t i) {
    const HistoryMinute& m = minutes[i];
    day.keys += m.keys;
    day.clicks += m.clicks;
    day.doubleClicks += m.doubleClicks;
    day.movePx += m.movePx;
    day.dragPx += m.dragPx;
    day.painMax = std::max(day.painMax, m.painMax);
    day.alarmTicks += m.alarmTicks;
    if (AlarmStarts(minutes, i)) ++day.alarms;
    day.activeMinutes += m.time.active;
    day.mouseMinutes += m.time.mouse;
    day.keyboardMinutes += m.time.keyboard;
}

std::size_t FirstAtOrAfter(const std::vector<HistoryMinute>& minutes, std::int64_t key) {
    const auto it =
        std::lower_bound(minutes.begin(), minutes.end(), key,
                         [](const HistoryMinute& m, std::int64_t k) { return m.key < k; });
    return static_cast<std::size_t>(it - minutes.begin());
}

// Files are written in time order; only a clock set back or a daylight-saving change brings
// a key back. Stable, so that the later line's threshold wins.
void SortByKey(std::vector<HistoryMinute>::iterator first,
               std::vector<HistoryMinute>::iterator last) {
    const auto byKey = [](const HistoryMinute& a, const HistoryMinute& b) { return a.key < b.key; };
    if (!std::is_sorted(first, last, byKey)) std::stable_sort(first, last, byKey);
}

}  // namespace

void ParseMonthText(std::string_view text, std::vector<HistoryMinute>& out) {
    std::size_t start = 0;
    LocalDate lastDate{0, 0, 0};
    std::int64_t dayKey = 0;
    while (start < text.size()) {
        const void* found = std::memchr(text.data() + start, '\n', text.size() - start);
        // No line feed: the write was torn off; the line may lack digits at its end.
        if (found == nullptr) break;
        const std::size_t end =
            static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
        MinuteRecord r;
        if (ParseMinuteLine(text.substr(start, end - start), r)) {
            if (r.minute.date != lastDate) {
                lastDate = r.minute.date;
                dayKey = KeyOf(lastDate);
            }
            out.push_back({dayKey + r.minute.MinuteOfDay(), r.keys, r.clicks, r.doubleClicks,
                           r.movePx, r.dragPx, r.painMax, r.alarmTicks, r.threshold,
                           static_cast<std::int16_t>(r.minute.utcOffsetMinutes),
                           TimeOfCounts(r.keys, r.clicks, r.doubleClicks, r.movePx, r.dragPx)});
        }
        start = end + 1;
    }
}

void MergeMinutes(std::vector<HistoryMinute>& minutes) {
    SortByKey(minutes.begin(), minutes.end());
    std::size_t kept = 0;
    MinuteTimeMerger time;
    for (std::size_t i = 0; i < minutes.size(); ++i) {
        const HistoryMinute& m = minutes[i];
        if (kept > 0 && minutes[kept - 1].key == m.key) {
            HistoryMinute& into = minutes[kept - 1];
            time.Add(m.time, m.utcOffset);
            into.time = time.time();
            into.keys = AddSaturated(into.keys, m.keys);
            into.clicks = AddSaturated(into.clicks, m.clicks);
            into.doubleClicks = AddSaturated(into.doubleClicks, m.doubleClicks);
            into.movePx = AddSaturated(into.movePx, m.movePx);
            into.dragPx = AddSaturated(into.dragPx, m.dragPx);
            into.painMax = std::max(into.painMax, m.painMax);
            into.alarmTicks = AddSaturated(into.alarmTicks, m.alarmTicks);
            into.threshold = m.threshold;
        } else {
            time = MinuteTimeMerger();
            time.Add(m.time, m.utcOffset);
            minutes[kept++] = m;
        }
    }
    minutes.resize(kept);
}

namespace {

// Adds one computer's months to the log, in order of their keys.
void ReadMonths(HistoryFiles& files, const HistoryMonth& first, const HistoryMonth& last,
                std::size_t computers, const std::atomic<bool>* cancel, HistoryLog& log) {
    std::vector<HistoryMonth> months = files.ListMonths();
    months.erase(std::remove_if(months.begin(), months.end(),
                                [&](const HistoryMonth& m) { return m < first || last < m; }),
                 months.end());
    std::string text;
    const std::size_t start = log.minutes.size();
    for (const HistoryMonth& month : months) {
        if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) {
            log.cancelled = true;
            return;
        }
        if (!files.Read(month, text)) {
            log.failed = true;  // listed, so it is there: unreadable, or a folder by that name
            continue;
        }
        // Room for every month at the size of the first saves copying a year over and over.
        if (log.minutes.empty()) log.minutes.reserve(text.size() / 40 * months.size() * computers);
        const std::size_t monthStart = log.minutes.size();
        ParseMonthText(text, log.minutes);
        // Ordered month by month: the one autumn night with an hour twice does not cost a
        // sort of the whole year.
        SortByKey(log.minutes.begin() + static_cast<std::ptrdiff_t>(monthStart), log.minutes.end());
    }
    // Each computer's minutes are in order: merging them into the others' costs one pass.
    const auto byKey = [](const HistoryMinute& a, const HistoryMinute& b) { return a.key < b.key; };
    std::inplace_merge(log.minutes.begin(),
                       log.minutes.begin() + static_cast<std::ptrdiff_t>(start), log.minutes.end(),
                       byKey);
}

}  // namespace

HistoryLog ReadHistory(HistoryFiles& files, const HistoryMonth& first, const HistoryMonth& last,
                       const std::atomic<bool>* cancel) {
    return ReadHistory(std::vector<HistoryFiles*>{&files}, first, last, cancel);
}

HistoryLog ReadHistory(const std::vector<HistoryFiles*>& computers, const HistoryMonth& first,
                       const HistoryMonth& last, const std::atomic<bool>* cancel) {
    HistoryLog log;
    for (HistoryFiles* files : computers) {
        ReadMonths(*files, first, last, computers.size(), cancel, log);
        if (log.cancelled) return log;
    }
    MergeMinutes(log.minutes);
    return log;
}

namespace {

// The last well-formed line of a text whose first line may be cut.
bool LastRecord(std::string_view text, MinuteRecord& record) {
    std::size_t end = text.rfind('\n');
    while (end != std::string_view::npos && end > 0) {
        const std::size_t previous = text.rfind('\n', end - 1);
        const std::size_t start = previous == std::string_view::npos ? 0 : previous + 1;
        if (ParseMinuteLine(text.substr(start, end - start), record)) return true;
        if (previous == std::string_view::npos) break;
        end = previous;
    }
    return false;
}

}  // namespace

bool FindLastMinute(HistoryFiles& files, LocalMinute& minute) {
    constexpr std::size_t kTail = 4096;  // dozens of lines
    std::vector<HistoryMonth> months = files.ListMonths();
    std::string text;
    for (auto it = months.rbegin(); it != months.rend(); ++it) {
        MinuteRecord record;
        // The tail's lines first; past them the whole file, should its end be all malformed.
        if ((files.ReadTail(*it, kTail, text) && LastRecord(text, record)) ||
            (text.size() >= kTail && files.Read(*it, text) && LastRecord(text, record))) {
            minute = record.minute;
            return true;
        }
    }
    return false;
}

DayDetail BuildDayDetail(const HistoryLog& log, const LocalDate& date) {
    DayDetail detail;
    detail.totals.date = date;
    const std::int64_t dayKey = KeyOf(date);
    const std::vector<HistoryMinute>& minutes = log.minutes;
    for (std::size_t i = FirstAtOrAfter(minutes, dayKey);
         i < minutes.size() && minutes[i].key < dayKey + kMinutesPerDay; ++i) {
        const HistoryMinute& m = minutes[i];
        const auto minuteOfDay = static_cast<std::int32_t>(m.key - dayKey);
        AddToDay(detail.totals, minutes, i);
        detail.minutes.push_back({minuteOfDay, m.painMax, m.alarmTicks, m.threshold});
        HourTotals& hour = detail.hours[static_cast<std::size_t>(minuteOfDay / 60)];
        hour.keys += m.keys;
        hour.clicks += m.clicks;
        hour.doubleClicks += m.doubleClicks;
        hour.movePx += m.movePx;
        hour.dragPx += m.dragPx;
    }
    return detail;
}

namespace {

// Adds each minute of `days` days ending with `last` to the totals `into` picks for its day
// (0 for the first).
template <typename Into>
void AddRange(const HistoryLog& log, const LocalDate& last, int days, Into into) {
    const std::int64_t firstKey = KeyOf(AddDays(last, 1 - days));
    const std::int64_t endKey = firstKey + days * kMinutesPerDay;
    const std::vector<HistoryMinute>& minutes = log.minutes;
    for (std::size_t i = FirstAtOrAfter(minutes, firstKey);
         i < minutes.size() && minutes[i].key < endKey; ++i) {
        AddToDay(into(static_cast<std::size_t>((minutes[i].key - firstKey) / kMinutesPerDay)),
                 minutes, i);
    }
}

}  // namespace

std::vector<DayTotals> BuildDailyTotals(const HistoryLog& log, const LocalDate& last, int days) {
    std::vector<DayTotals> totals(static_cast<std::size_t>(std::max(days, 0)));
    if (totals.empty()) return totals;
    const LocalDate first = AddDays(last, 1 - days);
    for (int d = 0; d < days; ++d) totals[static_cast<std::size_t>(d)].date = AddDays(first, d);
    AddRange(log, last, days, [&totals](std::size_t day) -> DayTotals& { return totals[day]; });
    return totals;
}

DayTotals BuildRangeTotals(const HistoryLog& log, const LocalDate& last, int days) {
    DayTotals total;
    total.date = last;
    if (days > 0) AddRange(log, last, days, [&total](std::size_t) -> DayTotals& { return total; });
    return total;
}

}  // namespace tavrel
