// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/history_calendar.h"

#include <algorithm>
#include <cstdio>

namespace tavrel {

namespace {
constexpr std::int64_t kMinutesPerDay = 1440;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}
}  // namespace

std::int32_t DayNumber(const LocalDate& date) {
    // Counted in eras of 400 years, which repeat exactly.
    std::int64_t y = date.year - (date.month <= 2 ? 1 : 0);
    const std::int64_t era = FloorDiv(y, 400);
    const std::int64_t yoe = y - era * 400;
    const std::int64_t m = date.month;
    const std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + date.day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return static_cast<std::int32_t>(era * 146097 + doe - 719468);
}

LocalDate DateOfDayNumber(std::int32_t dayNumber) {
    const std::int64_t z = static_cast<std::int64_t>(dayNumber) + 719468;
    const std::int64_t era = FloorDiv(z, 146097);
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    LocalDate date;
    date.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    date.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    date.year = static_cast<int>(yoe + era * 400 + (date.month <= 2 ? 1 : 0));
    return date;
}

LocalDate AddDays(const LocalDate& date, int days) {
    return DateOfDayNumber(DayNumber(date) + days);
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

bool IsValidDate(const LocalDate& date) {
    return date.month >= 1 && date.month <= 12 && date.day >= 1 &&
           date.day <= DaysInMonth(date.year, date.month);
}

LocalMinute LocalMinuteOf(const SystemTime& utc, int utcOffsetMinutes) {
    // Beyond what a line can name the minute would be unreadable: the clock is taken at the
    // limit, so that the local minute and its offset still agree.
    utcOffsetMinutes = std::clamp(utcOffsetMinutes, -kMaxUtcOffsetMinutes, kMaxUtcOffsetMinutes);
    const LocalDate utcDate{utc.year, utc.month, utc.day};
    const std::int64_t minutes =
        DayNumber(utcDate) * kMinutesPerDay + utc.hour * 60 + utc.minute + utcOffsetMinutes;
    const std::int64_t day = FloorDiv(minutes, kMinutesPerDay);
    const std::int64_t ofDay = minutes - day * kMinutesPerDay;
    LocalMinute local;
    local.date = DateOfDayNumber(static_cast<std::int32_t>(day));
    local.hour = static_cast<int>(ofDay / 60);
    local.minute = static_cast<int>(ofDay % 60);
    local.utcOffsetMinutes = utcOffsetMinutes;
    return local;
}

std::string DateText(const LocalDate& date) {
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

std::string MonthDayText(const LocalDate& date) {
    char text[24];
    std::snprintf(text, sizeof text, "%02d-%02d", date.month, date.day);
    return text;
}

const char* WeekdayName(const LocalDate& date) {
    static const char* const kNames[] = {"Thursday", "Friday",  "Saturday", "Sunday",
                                         "Monday",   "Tuesday", "Wednesday"};
    const std::int32_t number = DayNumber(date);  // day 0 was a Thursday
    return kNames[((number % 7) + 7) % 7];
}

}  // namespace tavrel
