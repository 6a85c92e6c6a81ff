// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/clock.h"

namespace tavrel {

namespace {

constexpr std::int64_t kDayMs = 86400000;

// Days since 1970-01-01 of a civil date, and back.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2 ? 1 : 0));
}

}  // namespace

std::int64_t EpochMsOf(const SystemTime& t) {
    const std::int64_t days = DaysFromCivil(t.year, t.month, t.day);
    return days * kDayMs + ((t.hour * 60LL + t.minute) * 60 + t.second) * 1000 + t.milliseconds;
}

SystemTime UtcOfEpochMs(std::int64_t ms) {
    std::int64_t days = ms / kDayMs;
    std::int64_t rest = ms % kDayMs;
    if (rest < 0) {
        rest += kDayMs;
        --days;
    }
    int y, m, d;
    CivilFromDays(days, y, m, d);
    SystemTime t{};
    t.year = static_cast<std::uint16_t>(y);
    t.month = static_cast<std::uint16_t>(m);
    t.day = static_cast<std::uint16_t>(d);
    t.dayOfWeek = static_cast<std::uint16_t>(((days % 7) + 11) % 7);  // 1970-01-01: a Thursday
    t.milliseconds = static_cast<std::uint16_t>(rest % 1000);
    rest /= 1000;
    t.second = static_cast<std::uint16_t>(rest % 60);
    rest /= 60;
    t.minute = static_cast<std::uint16_t>(rest % 60);
    t.hour = static_cast<std::uint16_t>(rest / 60);
    return t;
}

}  // namespace tavrel
