// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/rest_estimate.h"

#include <cmath>

namespace tavrel {

namespace {
// Up to this many decaying ticks (about three hours) the rest is counted tick by tick with the
// model's own rounding; beyond, the closed form is a tick or so off, which no one will see.
constexpr std::int64_t kTicksCountedExactly = 200000;
// Beyond a year the figure means nothing more; it also keeps the arithmetic in range.
constexpr double kLongestRestMs = 365.0 * 24 * 3600 * 1000;
}  // namespace

std::int64_t RestNeededMs(const PainModel& model, std::int32_t idle, std::int32_t tickMs) {
    // As the model compares: single-precision values, NaN never an alarm.
    if (!(model.pain >= model.threshold)) return 0;
    // Pain never falls below 0, so a threshold of 0 or less is never gone below.
    if (!(model.decay > 0.0f) || !(model.threshold > 0.0f) || tickMs <= 0) {
        return kRestNeverEnough;
    }

    // The first idle tick that takes the idle time past the break limit decays whole.
    const std::int64_t tick = tickMs;
    std::int64_t ticksBeforeDecay = 0;
    const std::int64_t toLimit = static_cast<std::int64_t>(model.breakLimit) - idle;
    if (toLimit >= 0) ticksBeforeDecay = toLimit / tick;

    const double perTick = static_cast<double>(tick) * model.decay;
    const double excess = static_cast<double>(model.pain) - static_cast<double>(model.threshold);
    double decayingTicks = std::floor(excess / perTick) + 1.0;
    if (decayingTicks <= static_cast<double>(kTicksCountedExactly)) {
        float pain = model.pain;
        std::int64_t ticks = 0;
        while (pain >= model.threshold && ticks <= kTicksCountedExactly) {
            pain = DecayedPain(pain, tick, model.decay);
            ++ticks;
        }
        decayingTicks = static_cast<double>(ticks);
    }
    const double ms = (static_cast<double>(ticksBeforeDecay) + decayingTicks) * tick;
    if (!(ms < kLongestRestMs)) return static_cast<std::int64_t>(kLongestRestMs);
    return static_cast<std::int64_t>(ms);
}

}  // namespace tavrel
