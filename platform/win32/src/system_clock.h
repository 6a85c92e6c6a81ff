// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows clocks: the tick count, which goes on through sleep and never steps, for the
// tick; UTC, and local time with its offset, for the history.
#pragma once

#include "tavrel/clock.h"

namespace tavrel::win32 {

class SystemClock final : public Clock {
  public:
    SystemTime UtcNow() override;
    LocalTime LocalNow() override;
    std::int64_t MonotonicMs() override;
};

}  // namespace tavrel::win32
