// SPDX-License-Identifier: GPL-3.0-or-later
// How long a rest brings the pain below the threshold, by the model's own decay rule.
#pragma once

#include <cstdint>

#include "tavrel/pain_model.h"

namespace tavrel {

// Returned when no rest lowers the pain: a decay of 0 (only RESET does).
constexpr std::int64_t kRestNeverEnough = -1;

// Milliseconds of rest, from now, in idle ticks of tickMs, after which the pain is below the
// threshold: 0 when it already is. The rest first fills up the break limit (idle time counts
// from idle), then every idle tick removes its length times the decay.
std::int64_t RestNeededMs(const PainModel& model, std::int32_t idle, std::int32_t tickMs);

}  // namespace tavrel
