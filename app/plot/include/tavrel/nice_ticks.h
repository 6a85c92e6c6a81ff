// SPDX-License-Identifier: GPL-3.0-or-later
// Axis ticks on round numbers: steps of 1, 2 or 5 times a power of ten.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tavrel {

struct TickScale {
    double low = 0;   // the first tick, at or below the data's minimum
    double high = 1;  // the last tick, at or above its maximum
    double step = 1;
    std::vector<double> values;  // from low to high
};

constexpr int kMaxTicks = 1000;
constexpr int kMaxDecimals = 100;

// The finest 1-2-5 step that covers [min, max] with at most maxCount ticks (2 to kMaxTicks).
// An empty range becomes [min, min + 1]; one that is not finite, [0, 1]. Where no such step
// gives distinct ticks (a range too wide for a double, or too narrow for its distance from
// zero) the two ends are the ticks.
TickScale NiceTicks(double min, double max, int maxCount);

// A tick's text for the step it belongs to: "0", "0.2", "-10", "20k", "1.5M". Locale-free;
// "nan", "inf" and "-inf" for what is not a number.
std::string FormatTick(double value, double step);

// A count with a space between each group of three digits: "1 234 567".
std::string FormatCount(std::int64_t value);
// A value with a fixed number of decimals (0 to kMaxDecimals), grouped the same way:
// "3 780.5". Half rounds away from zero up to 18 decimals and 9e18; beyond, the exact value
// is rounded to the nearest.
std::string FormatDecimal(double value, int decimals);

}  // namespace tavrel
