// SPDX-License-Identifier: GPL-3.0-or-later
// What one tick publishes: the sample of one interval and the model's answer to it.
#pragma once

#include <cstdint>

#include "TavrelHooks.h"
#include "tavrel/clock.h"

namespace tavrel {

struct Sample {
    std::int32_t tickCount;  // 1 to 999
    SystemTime utc;          // this tick's clock reading
    std::int32_t elapsedMs;  // what the activity was measured over: 0 to 1000
    MDTAG activity;          // what was counted in the interval
    float pain;              // after the update
    float threshold;
    bool alarm;                  // pain has reached the threshold
    std::int32_t totalDistance;  // tenths of a pixel, all runs, after the update
    std::int32_t totalKeys;
    // The last sample, taken as the program ends: it is counted and kept, not shown.
    bool closing = false;
};

// How the program ends. At Quit the user is still there to be told of a failure; at logoff
// or shutdown nothing may wait for an answer.
enum class SessionEnd { Quit, Logoff };

// One party that acts on every sample: the alarm and tray presenter, the read-outs, the
// totals keeper, the history recorder. Called on the GUI thread; must not allocate on a tick
// that does nothing new. A listener may open a modal message, inside which further ticks
// run and publish again.
class SampleListener {
  public:
    virtual void OnSample(const Sample& sample) = 0;
    // The program ends: keep what must outlive it.
    virtual void OnSessionEnd(SessionEnd /*how*/) {}
    // True when further samples without activity, at the pain and totals of the last one,
    // would change nothing this listener keeps or shows: the program may then stop ticking.
    // A listener that does not say keeps the ticks running.
    virtual bool Settled() const { return false; }

  protected:
    ~SampleListener() = default;
};

}  // namespace tavrel
