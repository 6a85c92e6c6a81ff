// SPDX-License-Identifier: GPL-3.0-or-later
// The timer whose expiries run the tick, every 50 ms on the GUI thread.
#pragma once

#include "tavrel/sampling_tick.h"  // kTickPeriodMs

namespace tavrel {

class TickTimer {
  public:
    // Starting a running timer keeps it running. False when the window system refused.
    virtual bool Start() = 0;
    virtual void Stop() = 0;

  protected:
    ~TickTimer() = default;
};

}  // namespace tavrel
