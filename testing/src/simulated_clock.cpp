// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/testing/simulated_clock.h"

namespace tavrel::testing {

std::int64_t ToEpochMs(const SystemTime& t) {
    return EpochMsOf(t);
}

SystemTime FromEpochMs(std::int64_t ms) {
    return UtcOfEpochMs(ms);
}

SystemTime At(int day, int hour, int minute, int second, int ms, int month, int year) {
    SystemTime t{};
    t.year = static_cast<std::uint16_t>(year);
    t.month = static_cast<std::uint16_t>(month);
    t.day = static_cast<std::uint16_t>(day);
    t.hour = static_cast<std::uint16_t>(hour);
    t.minute = static_cast<std::uint16_t>(minute);
    t.second = static_cast<std::uint16_t>(second);
    t.milliseconds = static_cast<std::uint16_t>(ms);
    return FromEpochMs(ToEpochMs(t));
}

SystemTime Later(const SystemTime& t, std::int64_t ms) {
    return FromEpochMs(ToEpochMs(t) + ms);
}

SystemTime SimulatedClock::UtcNow() {
    ++utcReads;
    const SystemTime reading = now;
    if (advanceOnRead != 0) Advance(advanceOnRead);
    return reading;
}

LocalTime SimulatedClock::LocalNow() {
    ++localReads;
    return {Later(now, static_cast<std::int64_t>(utcOffsetMinutes) * 60000), utcOffsetMinutes};
}

}  // namespace tavrel::testing
