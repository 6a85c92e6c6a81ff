#include "tavrel/alarm_notifier.h"

#include <cstdio>

#include "tavrel/pain_model.h"

namespace tavrel {

void AlarmNotifier::OnSample(const Sample& sample) {
    if (sample.closing) return;
    if (sample.alarm == inAlarm_) return;
    inAlarm_ = sample.alarm;
    if (!inAlarm_) {
        notifier_.Withdraw();
        return;
    }
    // The window's words: its "Pain" read-out and its "Threshold" field, as whole numbers.
    std::snprintf(body_, sizeof body_, "Pain %d has reached the threshold of %d.",
                  static_cast<int>(TruncToInt32(sample.pain)),
                  static_cast<int>(TruncToInt32(sample.threshold)));
    notifier_.Notify("Tavrel", body_);
}

}  // namespace tavrel
