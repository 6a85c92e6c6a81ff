// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/nice_ticks.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <utility>

namespace tavrel {

namespace {

constexpr double kEpsilon = 1e-9;  // in steps: 2.9999999999 steps is 3
// Tick numbers up to here are whole doubles and their successors too.
constexpr double kLargestTickNumber = 4503599627370496.0;  // 2^52
// Digits before the point of the largest double.
constexpr int kMaxWholeDigits = std::numeric_limits<double>::max_exponent10 + 1;

// Digits with a space between groups of three.
std::string Grouped(const std::string& digits) {
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ' ';
        out += digits[i];
    }
    return out;
}

// The digits of a finite, non-negative value to `decimals` places, the point included.
std::string Digits(double magnitude, int decimals) {
    double scale = 1;
    for (int i = 0; i < decimals; ++i) scale *= 10;
    const double scaled = std::round(magnitude * scale);
    if (decimals <= 18 && scaled < 9e18) {
        // Integer arithmetic, rounding half away from zero as the texts always have.
        const auto whole = static_cast<std::uint64_t>(scaled);
        const auto unit = static_cast<std::uint64_t>(scale);
        std::string text = std::to_string(whole / unit);
        if (decimals > 0) {
            const std::string fraction = std::to_string(whole % unit);
            text += '.' + std::string(static_cast<std::size_t>(decimals) - fraction.size(), '0') +
                    fraction;
        }
        return text;
    }
    // Beyond 64 bits: the exact value, correctly rounded, by the locale-free conversion.
    char buffer[kMaxWholeDigits + 2 + kMaxDecimals];
    const auto done = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                    std::chars_format::fixed, decimals);
    return std::string(buffer, done.ptr);
}

// The value with `decimals` decimals; no locale takes part.
std::string Fixed(double value, int decimals, bool group) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    decimals = std::clamp(decimals, 0, kMaxDecimals);
    std::string text = Digits(std::fabs(value), decimals);
    const bool zero = text.find_first_not_of("0.") == std::string::npos;
    if (group) {
        const std::size_t point = std::min(text.find('.'), text.size());
        text = Grouped(text.substr(0, point)) + text.substr(point);
    }
    return (value < 0 && !zero ? "-" : "") + text;
}

int DecimalsFor(double step) {
    if (!(step > 0) || !std::isfinite(step)) return 0;
    return std::clamp(static_cast<int>(-std::floor(std::log10(step) + kEpsilon)), 0, kMaxDecimals);
}

TickScale JustTheEnds(double min, double max) {
    TickScale scale;
    scale.low = min;
    scale.high = max;
    const double range = max - min;
    scale.step = std::isfinite(range) ? range : std::numeric_limits<double>::max();
    scale.values = {min, max};
    return scale;
}

}  // namespace

TickScale NiceTicks(double min, double max, int maxCount) {
    if (!std::isfinite(min) || !std::isfinite(max)) {
        min = 0;
        max = 1;
    }
    if (max < min) std::swap(min, max);
    if (!(max - min > 0)) max = min + 1;
    if (!(max - min > 0)) max = min + std::fabs(min);  // min + 1 == min for a huge min
    if (!std::isfinite(max)) {                         // and the largest has no room above
        max = min;
        min = 0;
    }
    maxCount = std::clamp(maxCount, 2, kMaxTicks);
    const double range = max - min;
    if (!std::isfinite(range) || !std::isfinite(max)) return JustTheEnds(min, max);

    // No step finer than range / (maxCount - 1) can fit; try the 1-2-5 steps from there.
    double decade = std::pow(10.0, std::floor(std::log10(range / (maxCount - 1))));
    if (!(decade > 0)) decade = std::numeric_limits<double>::denorm_min();
    for (int attempt = 0; attempt < 24 && std::isfinite(decade); ++attempt) {
        for (const double multiple : {1.0, 2.0, 5.0}) {
            const double step = multiple * decade;
            const double first = std::floor(min / step + kEpsilon);
            const double last = std::max(std::ceil(max / step - kEpsilon), first + 1);
            // Far from zero in small steps, tick numbers stop being whole: coarser.
            if (!(std::fabs(first) <= kLargestTickNumber && std::fabs(last) <= kLargestTickNumber))
                continue;
            if (last - first + 1 > maxCount || !std::isfinite(last * step)) continue;
            TickScale scale;
            scale.step = step;
            scale.low = first * step;
            scale.high = last * step;
            const int count = static_cast<int>(last - first) + 1;
            for (int i = 0; i < count; ++i) scale.values.push_back((first + i) * step);
            return scale;
        }
        decade *= 10;
    }
    return JustTheEnds(min, max);
}

std::string FormatTick(double value, double step) {
    if (!std::isfinite(value)) return Fixed(value, 0, false);
    const double magnitude = std::fabs(value);
    const double unit = magnitude >= 1e6 ? 1e6 : magnitude >= 1e3 ? 1e3 : 1;
    const char* suffix = unit == 1e6 ? "M" : unit == 1e3 ? "k" : "";
    std::string text = Fixed(value / unit, DecimalsFor(step / unit), false);
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') text.pop_back();
    }
    return text + suffix;
}

std::string FormatCount(std::int64_t value) {
    const std::uint64_t magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    return (value < 0 ? "-" : "") + Grouped(std::to_string(magnitude));
}

std::string FormatDecimal(double value, int decimals) {
    return Fixed(value, decimals, true);
}

}  // namespace tavrel
