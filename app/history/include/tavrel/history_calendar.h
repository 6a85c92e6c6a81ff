// SPDX-License-Identifier: GPL-3.0-or-later
// Local dates and minutes of the usage history, and the calendar arithmetic they need.
#pragma once

#include <cstdint>
#include <string>

#include "tavrel/clock.h"

namespace tavrel {

struct LocalDate {
    int year = 1970;
    int month = 1;  // 1 to 12
    int day = 1;    // 1 to 31

    friend bool operator==(const LocalDate& a, const LocalDate& b) {
        return a.year == b.year && a.month == b.month && a.day == b.day;
    }
    friend bool operator!=(const LocalDate& a, const LocalDate& b) { return !(a == b); }
};

// One minute of local time, named with the UTC offset that was in force: the same local
// minute may occur twice (clock set back, end of daylight-saving time) with the same or
// another offset.
struct LocalMinute {
    LocalDate date;
    int hour = 0;
    int minute = 0;
    int utcOffsetMinutes = 0;  // local minus UTC

    int MinuteOfDay() const { return hour * 60 + minute; }
};

// The largest offset from UTC a minute is named with, either way: 24:59, the most a TZ
// setting can say. A clock that reports more is taken at this limit.
constexpr int kMaxUtcOffsetMinutes = 24 * 60 + 59;

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar, and back.
std::int32_t DayNumber(const LocalDate& date);
LocalDate DateOfDayNumber(std::int32_t dayNumber);
LocalDate AddDays(const LocalDate& date, int days);
int DaysInMonth(int year, int month);
bool IsValidDate(const LocalDate& date);

// The local minute that holds a UTC reading, given the offset in force then (within
// kMaxUtcOffsetMinutes).
LocalMinute LocalMinuteOf(const SystemTime& utc, int utcOffsetMinutes);

// "2026-03-15", "03-15" and "Sunday", as the history names its days.
std::string DateText(const LocalDate& date);
std::string MonthDayText(const LocalDate& date);
const char* WeekdayName(const LocalDate& date);

}  // namespace tavrel
