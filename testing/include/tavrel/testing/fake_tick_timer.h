// SPDX-License-Identifier: GPL-3.0-or-later
// A tick timer in memory: says whether it runs and counts its starts and stops; the test
// runs the ticks itself.
#pragma once

#include "tavrel/tick_timer.h"

namespace tavrel::testing {

class FakeTickTimer final : public TickTimer {
  public:
    bool running = false;
    bool fails = false;  // Start is refused
    int starts = 0, stops = 0;

    bool Start() override {
        ++starts;
        running = !fails;
        return running;
    }
    void Stop() override {
        ++stops;
        running = false;
    }
};

}  // namespace tavrel::testing
