// SPDX-License-Identifier: GPL-3.0-or-later
// The clocks of the running system: UTC and local time, broken down, and the boot clock,
// which counts on through suspend and never steps.
#pragma once

#include "tavrel/clock.h"

namespace tavrel::linux_qt {

class SystemClock final : public Clock {
  public:
    SystemTime UtcNow() override;
    LocalTime LocalNow() override;
    std::int64_t MonotonicMs() override;
};

}  // namespace tavrel::linux_qt
