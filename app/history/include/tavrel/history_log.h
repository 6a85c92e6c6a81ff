// SPDX-License-Identifier: GPL-3.0-or-later
// Reads the month files back, of one computer or of several: tolerant of the header, torn and
// malformed lines; the lines of one local minute (a clock set back, the end of daylight-saving
// time, several computers) are added up. Builds the day and per-day figures the views show.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string_view>
#include <vector>

#include "tavrel/exposure.h"
#include "tavrel/history_calendar.h"
#include "tavrel/history_files.h"
#include "tavrel/minute_record.h"

namespace tavrel {

// One local minute as read, its lines added up.
struct HistoryMinute {
    std::int64_t key;  // DayNumber(date) * 1440 + minute of the day
    std::int32_t keys, clicks, doubleClicks, movePx, dragPx;
    std::int32_t painMax, alarmTicks, threshold;
    std::int16_t utcOffset;  // of the line; once merged, of the first line
    MinuteTime time;         // real minutes of use it holds
};

struct HistoryLog {
    std::vector<HistoryMinute> minutes;  // by key, each key once
    bool cancelled = false;              // reading stopped early: minutes is incomplete
    bool failed = false;                 // a month that has a file could not be read
};

// Adds the well-formed lines of one month file to `out`, in file order. The last line counts
// only when its line feed was written.
void ParseMonthText(std::string_view text, std::vector<HistoryMinute>& out);
// Orders the lines as read and adds up those of one key; their time counts each real minute
// once (see MinuteTimeMerger). Where the lines disagree, the threshold of the later one holds.
void MergeMinutes(std::vector<HistoryMinute>& minutes);

// Reads the months from `first` to `last` that have a file. A plain function a shell can run
// on a worker thread over its own HistoryFiles; `cancel` (may be null) is looked at between
// files. A listed month whose file cannot be read marks the log failed; the rest is read.
HistoryLog ReadHistory(HistoryFiles& files, const HistoryMonth& first, const HistoryMonth& last,
                       const std::atomic<bool>* cancel = nullptr);
// The same over the files of several computers as one history: counts summed, the highest
// pain, a minute used on several of them counted once as time.
HistoryLog ReadHistory(const std::vector<HistoryFiles*>& computers, const HistoryMonth& first,
                       const HistoryMonth& last, const std::atomic<bool>* cancel = nullptr);

// The newest minute the files hold: the last well-formed line of the newest month file that
// has one. False when there is none.
bool FindLastMinute(HistoryFiles& files, LocalMinute& minute);

struct DayTotals {
    LocalDate date;
    std::int64_t keys = 0, clicks = 0, doubleClicks = 0, movePx = 0, dragPx = 0;
    std::int32_t painMax = 0;
    std::int32_t alarms = 0;      // alarms raised: runs of minutes in alarm that start this day
    std::int64_t alarmTicks = 0;  // 50 ms each
    // Real minutes with any input, with pointer movement, drags or clicks, with keys.
    std::int32_t activeMinutes = 0, mouseMinutes = 0, keyboardMinutes = 0;
};

struct HourTotals {
    std::int64_t keys = 0, clicks = 0, doubleClicks = 0, movePx = 0, dragPx = 0;
};

struct DayMinute {
    std::int32_t minuteOfDay;  // 0 to 1439, local
    std::int32_t painMax, alarmTicks, threshold;
};

struct DayDetail {
    DayTotals totals;
    std::vector<DayMinute> minutes;  // the recorded minutes of the day, in order
    std::array<HourTotals, 24> hours{};
};

DayDetail BuildDayDetail(const HistoryLog& log, const LocalDate& date);
// `days` days ending with `last`, oldest first; a day without lines has zero totals.
std::vector<DayTotals> BuildDailyTotals(const HistoryLog& log, const LocalDate& last, int days);
// The same days as one: their sums, the highest peak, the alarms that start within them.
DayTotals BuildRangeTotals(const HistoryLog& log, const LocalDate& last, int days);

}  // namespace tavrel
