// SPDX-License-Identifier: GPL-3.0-or-later
// The clocks the tick and the history read: a steady clock for measuring intervals, UTC and
// local time for naming the minutes of the history.
#pragma once

#include <cstdint>

namespace tavrel {

// A clock reading broken down in the platform's order (UTC or local, as the call says).
struct SystemTime {
    std::uint16_t year, month, dayOfWeek, day, hour, minute, second, milliseconds;
};

// A local reading with the offset from UTC that was in force at that moment.
struct LocalTime {
    SystemTime time;
    std::int32_t utcOffsetMinutes;  // local minus UTC: +60 in Central Europe in winter
};

class Clock {
  public:
    virtual SystemTime UtcNow() = 0;
    virtual LocalTime LocalNow() = 0;
    // Milliseconds on a clock that no setting of the date or time moves and that goes on
    // counting while the computer sleeps: the wall clock may step, this one never does.
    virtual std::int64_t MonotonicMs() = 0;

  protected:
    ~Clock() = default;
};

// Milliseconds since 1970-01-01 00:00 of a reading taken as UTC (proleptic Gregorian
// calendar), and back; the day of the week is filled in.
std::int64_t EpochMsOf(const SystemTime& utc);
SystemTime UtcOfEpochMs(std::int64_t ms);

}  // namespace tavrel
