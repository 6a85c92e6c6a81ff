// SPDX-License-Identifier: GPL-3.0-or-later
#include "system_clock.h"

#include <windows.h>

namespace tavrel::win32 {

namespace {

SystemTime FromSystemTime(const SYSTEMTIME& st) {
    return {st.wYear, st.wMonth,  st.wDayOfWeek, st.wDay,
            st.wHour, st.wMinute, st.wSecond,    st.wMilliseconds};
}

}  // namespace

SystemTime SystemClock::UtcNow() {
    SYSTEMTIME st;
    GetSystemTime(&st);
    return FromSystemTime(st);
}

LocalTime SystemClock::LocalNow() {
    // One UTC reading turned into local time by the rules in force at that moment, so the
    // offset and the local reading always belong together.
    SYSTEMTIME utc, local;
    GetSystemTime(&utc);
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) local = utc;
    FILETIME u, l;
    SystemTimeToFileTime(&utc, &u);
    SystemTimeToFileTime(&local, &l);
    const auto ticks = [](const FILETIME& f) {
        return static_cast<long long>((static_cast<unsigned long long>(f.dwHighDateTime) << 32) |
                                      f.dwLowDateTime);
    };
    const long long minutes = (ticks(l) - ticks(u)) / (10000000LL * 60);
    return {FromSystemTime(local), static_cast<std::int32_t>(minutes)};
}

std::int64_t SystemClock::MonotonicMs() {
    return static_cast<std::int64_t>(GetTickCount64());
}

}  // namespace tavrel::win32
