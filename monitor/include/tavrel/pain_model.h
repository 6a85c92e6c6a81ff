// SPDX-License-Identifier: GPL-3.0-or-later
// The pain accumulator: weights, threshold, decay, break limit, totals, pain.
#pragma once

#include <cstdint>

namespace tavrel {

// Conversions used by every rule that turns a float into an integer: truncation toward
// zero; NaN gives 0, values beyond the 32-bit range saturate.
std::int32_t TruncToInt32(double value);
// 32-bit two's-complement addition without undefined behaviour.
std::int32_t WrapAdd(std::int32_t a, std::int32_t b);

struct PainModel {
    // Plain record: construction sets no field; start-up fills every one.
    std::int32_t totalDistance;  // tenths of a pixel, all runs
    std::int32_t totalKeys;      // all runs
    std::int32_t breakLimit;     // idle ms that must be exceeded before pain decays
    float threshold;
    float screenWidth;  // pixels
    float pain;
    float decay;  // pain removed per idle millisecond
    float movePain;
    float dragPain;
    float clickPain;
    float doubleclickPain;
    float keyboardPain;

    // Adds one interval of activity; 1 when pain has reached the threshold.
    std::int32_t Update(float moveDistance, float dragDistance, std::int32_t clicks,
                        std::int32_t doubleClicks, std::int32_t keys, std::int32_t elapsedMs);
    void ResetPain() { pain = 0.0f; }
    // A rest of ms milliseconds that passed without ticks (the computer slept, the program was
    // held up): counted as one idle interval of that length would be, of any length.
    void Rest(std::int64_t ms);
};

// The pain after an idle interval of ms milliseconds past the break limit: never below 0, and
// 0 for a pain that is not a number.
float DecayedPain(float pain, std::int64_t ms, float decay);

// Milliseconds since the end of the last interval with any activity. One per process,
// like the model itself; zero at start. It stops at the largest value instead of wrapping, so
// a rest of weeks goes on counting as a rest.
extern std::int32_t idleMs;
// Adds a rest that passed without ticks, as the ticks would have added it: up to the largest
// value. Negative amounts add nothing.
void AddIdleTime(std::int64_t ms);

}  // namespace tavrel
