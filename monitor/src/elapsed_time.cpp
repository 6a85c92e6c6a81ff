#include "tavrel/elapsed_time.h"

namespace tavrel {

namespace {

// Days from 1970-01-01 in the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

std::int64_t MillisecondsOf(const SystemTime& t) {
    const std::int64_t days = DaysFromCivil(t.year, t.month, t.day);
    return ((days * 24 + t.hour) * 60 + t.minute) * 60000 + t.second * 1000 + t.milliseconds;
}

}  // namespace

std::int64_t MillisecondsBetween(const SystemTime& last, const SystemTime& now) {
    return MillisecondsOf(now) - MillisecondsOf(last);
}

SampleInterval MeasureInterval(const SystemTime& last, const SystemTime& now) {
    int borrow = 0;
    int ms = now.milliseconds - last.milliseconds;
    if (ms < 0) {
        ms += 1000;
        borrow = 1;
    }
    int s = now.second - borrow - last.second;
    borrow = 0;
    if (s < 0) {
        s += 60;
        borrow = 1;
    }
    // The minute and hour differences only pass their borrows on.
    const int minutes = now.minute - borrow - last.minute;
    borrow = minutes < 0 ? 1 : 0;
    const int hours = now.hour - borrow - last.hour;
    borrow = hours < 0 ? 1 : 0;
    const int days = now.day - borrow - last.day;

    // A new month, or a clock set back to an earlier day or time of the same day.
    if (days < 0 || days > 31) return {true, 0};
    return {false, s * 1000 + ms};
}

}  // namespace tavrel
