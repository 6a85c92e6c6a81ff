// SPDX-License-Identifier: GPL-3.0-or-later
// The pain accumulator. Every float expression is evaluated in double precision from the
// single-precision operands, in the order the rule is written, and rounded to float only
// when stored: the results must be the same on every build.
#include "tavrel/pain_model.h"

#include <cstdint>
#include <limits>

namespace tavrel {

std::int32_t idleMs = 0;

std::int32_t TruncToInt32(double value) {
    if (value != value) return 0;  // NaN
    if (value >= 2147483648.0) return std::numeric_limits<std::int32_t>::max();
    // Anything above -2^31 - 1 truncates into range.
    if (value <= -2147483649.0) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

std::int32_t WrapAdd(std::int32_t a, std::int32_t b) {
    // Unsigned arithmetic wraps by definition; map the sum back without relying on the
    // implementation-defined unsigned-to-signed conversion.
    const std::uint32_t sum = static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b);
    if (sum <= 0x7FFFFFFFu) return static_cast<std::int32_t>(sum);
    return static_cast<std::int32_t>(sum - 0x80000000u) + std::numeric_limits<std::int32_t>::min();
}

namespace {

// Idle time keeps growing while the user rests; wrapping it would turn a long rest into a
// negative one and stop the decay, so it stops at the largest value instead.
std::int32_t SaturatingAdd(std::int32_t a, std::int32_t b) {
    const std::int64_t sum = static_cast<std::int64_t>(a) + b;
    if (sum > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (sum < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(sum);
}

// The time in seconds the pointer would need to cross the screen at the interval's average
// speed, times the weight, added to pain. The speed stays in double precision.
float AddMovementPain(float pain, float distance, float weight, float screenWidth,
                      std::int32_t elapsedMs) {
    const double speed = static_cast<double>(distance) * 1000.0 / elapsedMs;
    return static_cast<float>(static_cast<double>(screenWidth) / speed * weight + pain);
}

float AddCountPain(float pain, std::int32_t count, float weight) {
    return static_cast<float>(static_cast<double>(count) * weight + pain);
}

}  // namespace

float DecayedPain(float pain, std::int64_t ms, float decay) {
    const double decayed = static_cast<double>(pain) - static_cast<double>(ms) * decay;
    return (decayed >= 0.0) ? static_cast<float>(decayed) : 0.0f;  // also NaN
}

void AddIdleTime(std::int64_t ms) {
    if (ms <= 0) return;
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    idleMs = SaturatingAdd(idleMs, static_cast<std::int32_t>(ms > kMax ? kMax : ms));
}

void PainModel::Rest(std::int64_t ms) {
    if (ms <= 0) return;
    AddIdleTime(ms);
    if (idleMs > breakLimit) pain = DecayedPain(pain, ms, decay);
}

std::int32_t PainModel::Update(float moveDistance, float dragDistance, std::int32_t clicks,
                               std::int32_t doubleClicks, std::int32_t keys,
                               std::int32_t elapsedMs) {
    // Also keeps the speed from being divided by a zero interval.
    if (elapsedMs == 0) return 0;

    const double tenths = (static_cast<double>(moveDistance) + dragDistance) * 10.0 + 0.5;
    totalDistance = WrapAdd(totalDistance, TruncToInt32(tenths));
    totalKeys = WrapAdd(totalKeys, keys);

    bool active = false;
    // Strict tests: zero, negative and NaN amounts are no activity.
    if (moveDistance > 0.0f) {
        pain = AddMovementPain(pain, moveDistance, movePain, screenWidth, elapsedMs);
        active = true;
    }
    if (dragDistance > 0.0f) {
        pain = AddMovementPain(pain, dragDistance, dragPain, screenWidth, elapsedMs);
        active = true;
    }
    if (clicks > 0) {
        pain = AddCountPain(pain, clicks, clickPain);
        active = true;
    }
    if (doubleClicks > 0) {
        pain = AddCountPain(pain, doubleClicks, doubleclickPain);
        active = true;
    }
    if (keys > 0) {
        pain = AddCountPain(pain, keys, keyboardPain);
        active = true;
    }

    if (active) {
        idleMs = 0;
    } else {
        idleMs = SaturatingAdd(idleMs, elapsedMs);
        if (idleMs > breakLimit) {
            // The whole interval decays, including any part before the limit was passed.
            pain = DecayedPain(pain, elapsedMs, decay);
        }
    }

    // A NaN pain or threshold compares false: no alarm.
    return (pain >= threshold) ? 1 : 0;
}

}  // namespace tavrel
