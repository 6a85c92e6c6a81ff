// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/alarm_notifier.h"

#include <cstdio>

#include "tavrel/alarm_status.h"
#include "tavrel/rest_estimate.h"
#include "tavrel/sampling_tick.h"

namespace tavrel {

AlarmNotifier::AlarmNotifier(DesktopNotifier& notifier, const AlarmGate& gate,
                             const AlarmPreferences& preferences, const PainModel& model,
                             bool withWindow)
    : notifier_(notifier),
      gate_(gate),
      preferences_(preferences),
      model_(model),
      withWindow_(withWindow) {}

void AlarmNotifier::OnSample(const Sample& sample) {
    if (sample.closing) return;
    const bool wanted = gate_.alarmShows() && (withWindow_ || !preferences_.bringToFront());
    if (wanted == shown_) return;
    shown_ = wanted;
    if (!shown_) {
        notifier_.Withdraw();
        return;
    }
    // The window's words: its "Pain" read-out and its "Threshold" field, as whole numbers.
    const int pain = static_cast<int>(TruncToInt32(sample.pain));
    const int threshold = static_cast<int>(TruncToInt32(sample.threshold));
    PainModel now = model_;
    now.pain = sample.pain;
    now.threshold = sample.threshold;
    const std::int64_t rest = RestNeededMs(now, idleMs, kTickPeriodMs);
    if (rest == kRestNeverEnough || rest == 0) {
        std::snprintf(body_, sizeof body_, "Pain %d has reached the threshold of %d.", pain,
                      threshold);
    } else {
        char length[32];
        FormatRest(rest, length);
        std::snprintf(body_, sizeof body_,
                      "Pain %d has reached the threshold of %d. Rest %s to bring it below.", pain,
                      threshold, length);
    }
    notifier_.Notify("Tavrel", body_);
}

}  // namespace tavrel
