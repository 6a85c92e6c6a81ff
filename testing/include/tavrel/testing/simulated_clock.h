// SPDX-License-Identifier: GPL-3.0-or-later
// A clock the test moves: real calendar arithmetic, so it crosses midnight, month and year
// ends; its wall clock can be set back or forward without moving the steady clock, and its
// UTC offset changes as at a daylight-saving switch.
#pragma once

#include <cstdint>

#include "tavrel/clock.h"

namespace tavrel::testing {

// A UTC reading; the day of the week is filled in.
SystemTime At(int day, int hour, int minute, int second, int ms, int month = 6, int year = 2024);
// The reading ms milliseconds later (earlier when negative).
SystemTime Later(const SystemTime& t, std::int64_t ms);
// Milliseconds since 1970-01-01 00:00 of a reading, and back.
std::int64_t ToEpochMs(const SystemTime& t);
SystemTime FromEpochMs(std::int64_t ms);

class SimulatedClock final : public Clock {
  public:
    SystemTime now = At(10, 12, 0, 0, 0);  // UTC: the wall clock, set freely
    std::int64_t monotonicMs = 1000000;    // the steady clock: only time passing moves it
    std::int32_t utcOffsetMinutes = 0;
    int advanceOnRead = 0;  // ms both clocks move on after each UTC reading
    int utcReads = 0;
    int localReads = 0;

    // Time passes: both clocks move on.
    void Advance(std::int64_t ms) {
        now = Later(now, ms);
        monotonicMs += ms;
    }
    // The date and time are set: only the wall clock moves.
    void StepWall(std::int64_t ms) { now = Later(now, ms); }

    SystemTime UtcNow() override;
    LocalTime LocalNow() override;
    std::int64_t MonotonicMs() override { return monotonicMs; }
};

}  // namespace tavrel::testing
