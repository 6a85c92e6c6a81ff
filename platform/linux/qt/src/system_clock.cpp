// SPDX-License-Identifier: GPL-3.0-or-later
#include "system_clock.h"

#include <ctime>

namespace tavrel::linux_qt {

namespace {

SystemTime Broken(const std::tm& tm, long nanoseconds) {
    return SystemTime{
        static_cast<std::uint16_t>(tm.tm_year + 1900), static_cast<std::uint16_t>(tm.tm_mon + 1),
        static_cast<std::uint16_t>(tm.tm_wday), static_cast<std::uint16_t>(tm.tm_mday),
        static_cast<std::uint16_t>(tm.tm_hour), static_cast<std::uint16_t>(tm.tm_min),
        // A leap second reads as the last second of its minute.
        static_cast<std::uint16_t>(tm.tm_sec > 59 ? 59 : tm.tm_sec),
        static_cast<std::uint16_t>(nanoseconds / 1000000)};
}

timespec Now() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return now;
}

}  // namespace

SystemTime SystemClock::UtcNow() {
    const timespec now = Now();
    std::tm tm{};
    gmtime_r(&now.tv_sec, &tm);
    return Broken(tm, now.tv_nsec);
}

LocalTime SystemClock::LocalNow() {
    const timespec now = Now();
    std::tm tm{};
    localtime_r(&now.tv_sec, &tm);
    return LocalTime{Broken(tm, now.tv_nsec), static_cast<std::int32_t>(tm.tm_gmtoff / 60)};
}

std::int64_t SystemClock::MonotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

}  // namespace tavrel::linux_qt
