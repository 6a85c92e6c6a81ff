// The clock of the running system: UTC and local time, broken down.
#pragma once

#include "tavrel/clock.h"

namespace tavrel::linux_qt {

class SystemClock final : public Clock {
  public:
    SystemTime UtcNow() override;
    LocalTime LocalNow() override;
};

}  // namespace tavrel::linux_qt
