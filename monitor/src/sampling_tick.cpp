// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/sampling_tick.h"

namespace tavrel {

namespace {
constexpr std::int32_t kTickWrap = 1000;  // the counter runs 1 to 999
}  // namespace

SamplingTick::SamplingTick(Clock& clock, ActivitySource& source, PainModel& model)
    : clock_(clock), source_(source), model_(model) {}

bool SamplingTick::AddListener(SampleListener& listener) {
    if (listenerCount_ == kMaxListeners) return false;
    listeners_[listenerCount_++] = &listener;
    return true;
}

void SamplingTick::Run() {
    if (tickCount_ == 0) lastMonotonicMs_ = clock_.MonotonicMs();
    if (++tickCount_ == kTickWrap) tickCount_ = 1;
    Measure(false);
}

void SamplingTick::Measure(bool closing) {
    // The interval is measured on the steady clock, so that no setting of the wall clock, a
    // new month or a step back, turns into pain or costs the interval's input.
    const std::int64_t monotonic = clock_.MonotonicMs();
    const SystemTime now = clock_.UtcNow();
    lastSampleTime_ = now;
    std::int64_t gap = monotonic - lastMonotonicMs_;
    // At the end there is no next tick to wait for: within the same millisecond, the input
    // is measured over one.
    if (closing && gap <= 0) gap = 1;
    std::int32_t elapsedMs = 0;
    std::int32_t alarm = 0;
    if (gap <= 0) {
        // Nothing to measure the input over: it waits in the source for the next tick.
        activity_ = MDTAG{};
    } else {
        lastMonotonicMs_ = monotonic;
        source_.Take(activity_);
        elapsedMs = static_cast<std::int32_t>(gap);
        if (gap > kLongestIntervalMs) {
            model_.Rest(gap - kTickPeriodMs);
            elapsedMs = kTickPeriodMs;
        }
        alarm = model_.Update(activity_.moveDistance, activity_.dragDistance, activity_.clicks,
                              activity_.doubleClicks, activity_.keys, elapsedMs);
    }
    // A copy: a listener's message box runs further ticks, which overwrite activity_.
    const Sample sample{tickCount_,       now,
                        elapsedMs,        activity_,
                        model_.pain,      model_.threshold,
                        alarm == 1,       model_.totalDistance,
                        model_.totalKeys, closing};
    for (int i = 0; i < listenerCount_; ++i) listeners_[i]->OnSample(sample);
}

void SamplingTick::Resume(std::int32_t periodMs) {
    if (tickCount_ == 0 || periodMs <= 0) return;  // the first tick reads the clock itself
    const std::int64_t monotonic = clock_.MonotonicMs();
    lastSampleTime_ = clock_.UtcNow();
    const std::int64_t gap = monotonic - lastMonotonicMs_;
    lastMonotonicMs_ = monotonic;
    if (gap <= 0) return;
    // The counter keeps its rhythm, so the saves and flashes come when they would have.
    const std::int64_t missed = gap / periodMs;
    tickCount_ =
        static_cast<std::int32_t>((tickCount_ - 1 + missed % (kTickWrap - 1)) % (kTickWrap - 1)) +
        1;
    model_.Rest(gap);
}

bool SamplingTick::ListenersSettled() const {
    for (int i = 0; i < listenerCount_; ++i) {
        if (!listeners_[i]->Settled()) return false;
    }
    return true;
}

void SamplingTick::EndSession(SessionEnd how) {
    // Quit's own move and click, and whatever came since the last tick, are counted too.
    if (tickCount_ != 0) Measure(true);
    for (int i = 0; i < listenerCount_; ++i) listeners_[i]->OnSessionEnd(how);
}

}  // namespace tavrel
