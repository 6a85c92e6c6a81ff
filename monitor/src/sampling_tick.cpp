#include "tavrel/sampling_tick.h"

#include "tavrel/elapsed_time.h"

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
    if (tickCount_ == 0) lastSampleTime_ = clock_.UtcNow();
    if (++tickCount_ == kTickWrap) tickCount_ = 1;

    source_.Take(activity_);
    const SystemTime now = clock_.UtcNow();
    const SampleInterval interval = MeasureInterval(lastSampleTime_, now);
    lastSampleTime_ = now;
    // The interval's activity is dropped; the next tick measures from this reading.
    if (interval.skipped) return;

    const std::int32_t alarm =
        model_.Update(activity_.moveDistance, activity_.dragDistance, activity_.clicks,
                      activity_.doubleClicks, activity_.keys, interval.elapsedMs);

    // A copy: a listener's message box runs further ticks, which overwrite activity_.
    const Sample sample{
        tickCount_,       now,        interval.elapsedMs,   activity_,       model_.pain,
        model_.threshold, alarm == 1, model_.totalDistance, model_.totalKeys};
    for (int i = 0; i < listenerCount_; ++i) listeners_[i]->OnSample(sample);
}

void SamplingTick::Resume(std::int32_t periodMs) {
    if (tickCount_ == 0 || periodMs <= 0) return;  // the first tick reads the clock itself
    const SystemTime now = clock_.UtcNow();
    const std::int64_t gap = MillisecondsBetween(lastSampleTime_, now);
    lastSampleTime_ = now;
    if (gap <= 0) return;  // the clock went back: nothing to make up
    // The counter keeps its rhythm, so the saves and flashes come when they would have.
    const std::int64_t missed = gap / periodMs;
    tickCount_ =
        static_cast<std::int32_t>((tickCount_ - 1 + missed % (kTickWrap - 1)) % (kTickWrap - 1)) +
        1;
    AddIdleTime(gap);
}

bool SamplingTick::ListenersSettled() const {
    for (int i = 0; i < listenerCount_; ++i) {
        if (!listeners_[i]->Settled()) return false;
    }
    return true;
}

void SamplingTick::EndSession(SessionEnd how) {
    for (int i = 0; i < listenerCount_; ++i) listeners_[i]->OnSessionEnd(how);
}

}  // namespace tavrel
