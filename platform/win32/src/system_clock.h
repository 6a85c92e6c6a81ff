// The Windows clock: UTC for the tick, local time with its offset for the history.
#pragma once

#include "tavrel/clock.h"

namespace tavrel::win32 {

class SystemClock final : public Clock {
  public:
    SystemTime UtcNow() override;
    LocalTime LocalNow() override;
};

}  // namespace tavrel::win32
