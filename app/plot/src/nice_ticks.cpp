#include "tavrel/nice_ticks.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tavrel {

namespace {

constexpr double kEpsilon = 1e-9;  // in steps: 2.9999999999 steps is 3

// Digits of a non-negative integer with a space between groups of three.
std::string Grouped(std::uint64_t value) {
    std::string digits = std::to_string(value);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ' ';
        out += digits[i];
    }
    return out;
}

// The value with `decimals` decimals, by integer arithmetic so that no locale takes part.
std::string Fixed(double value, int decimals, bool group) {
    double scale = 1;
    for (int i = 0; i < decimals; ++i) scale *= 10;
    const double scaled = std::round(std::fabs(value) * scale);
    if (!std::isfinite(scaled) || scaled >= 9e18) return value < 0 ? "-inf" : "inf";
    const auto whole = static_cast<std::uint64_t>(scaled);
    const auto unit = static_cast<std::uint64_t>(scale);
    std::string text = group ? Grouped(whole / unit) : std::to_string(whole / unit);
    if (decimals > 0) {
        std::string fraction = std::to_string(whole % unit);
        text +=
            '.' + std::string(static_cast<std::size_t>(decimals) - fraction.size(), '0') + fraction;
    }
    return (value < 0 && whole != 0 ? "-" : "") + text;
}

int DecimalsFor(double step) {
    return std::max(0, static_cast<int>(-std::floor(std::log10(step) + kEpsilon)));
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
    maxCount = std::max(maxCount, 2);

    // No step finer than range / (maxCount - 1) can fit; try the 1-2-5 steps from there.
    double decade = std::pow(10.0, std::floor(std::log10((max - min) / (maxCount - 1))));
    TickScale scale;
    for (int attempt = 0; attempt < 12; ++attempt) {
        for (const double multiple : {1.0, 2.0, 5.0}) {
            const double step = multiple * decade;
            const double first = std::floor(min / step + kEpsilon);
            const double last = std::max(std::ceil(max / step - kEpsilon), first + 1);
            if (last - first + 1 > maxCount) continue;
            scale.step = step;
            scale.low = first * step;
            scale.high = last * step;
            for (double i = first; i <= last; ++i) scale.values.push_back(i * step);
            return scale;
        }
        decade *= 10;
    }
    scale.low = min;
    scale.high = max;
    scale.step = max - min;
    scale.values = {min, max};
    return scale;
}

std::string FormatTick(double value, double step) {
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
    return (value < 0 ? "-" : "") + Grouped(magnitude);
}

std::string FormatDecimal(double value, int decimals) {
    return Fixed(value, decimals, true);
}

}  // namespace tavrel
