// SPDX-License-Identifier: GPL-3.0-or-later
// The 50 ms heartbeat: take the activity counted since the previous tick, measure the time
// since then, update the pain model and publish one sample to every listener.
#pragma once

#include <cstdint>

#include "TavrelHooks.h"
#include "tavrel/activity_source.h"
#include "tavrel/clock.h"
#include "tavrel/pain_model.h"
#include "tavrel/sample.h"

namespace tavrel {

constexpr std::int32_t kTickPeriodMs = 50;
// An interval longer than this means the program did not run (the computer slept, the process
// was stopped): all of it but one tick's length is rest, and what was counted came at its end.
constexpr std::int32_t kLongestIntervalMs = 1000;

class SamplingTick {
  public:
    static constexpr int kMaxListeners = 12;

    // All three outlive the tick.
    SamplingTick(Clock& clock, ActivitySource& source, PainModel& model);
    SamplingTick(const SamplingTick&) = delete;
    SamplingTick& operator=(const SamplingTick&) = delete;

    // Listeners hear each sample in the order they were added. False when the table is full.
    bool AddListener(SampleListener& listener);

    // One timer message. May run again inside itself while a listener's message waits.
    void Run();
    // The timer was stopped while nothing happened and runs again from now on: the ticks that
    // would have run meanwhile are counted, with the idle time they would have added, and the
    // next interval is measured from this moment.
    void Resume(std::int32_t periodMs);
    // True when every listener says that samples without activity would change nothing.
    bool ListenersSettled() const;
    // The program ends (Quit, logoff, shutdown): what was counted since the last tick is
    // taken in a last sample, then every listener keeps what it must.
    void EndSession(SessionEnd how);

    std::int32_t tickCount() const { return tickCount_; }  // 0 before the first; then 1 to 999
    const SystemTime& lastSampleTime() const { return lastSampleTime_; }
    const MDTAG& activity() const { return activity_; }  // the last record taken

  private:
    // Takes and measures one interval ending now; publishes it unless nothing was measured.
    void Measure(bool closing);

    Clock& clock_;
    ActivitySource& source_;
    PainModel& model_;
    SampleListener* listeners_[kMaxListeners] = {};
    int listenerCount_ = 0;

    std::int32_t tickCount_ = 0;
    SystemTime lastSampleTime_{};
    std::int64_t lastMonotonicMs_ = 0;
    MDTAG activity_{};
};

}  // namespace tavrel
