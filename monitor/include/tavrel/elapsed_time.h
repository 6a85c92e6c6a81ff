// The length of the interval between two clock readings of the sampling tick.
#pragma once

#include <cstdint>

#include "tavrel/clock.h"

namespace tavrel {

struct SampleInterval {
    bool skipped;            // the readings lie on days too far apart, or the clock went back
    std::int32_t elapsedMs;  // 0 to 59999 when not skipped
};

// Compares the readings field by field with borrows, from the milliseconds up to the day.
// Only seconds and milliseconds make up the length: whole minutes, hours and days of
// difference are dropped. Year, month and day of week are never looked at.
SampleInterval MeasureInterval(const SystemTime& last, const SystemTime& now);

// The whole time from last to now in milliseconds, by the calendar (year, month, day and
// time of day); negative when the clock went back.
std::int64_t MillisecondsBetween(const SystemTime& last, const SystemTime& now);

}  // namespace tavrel
