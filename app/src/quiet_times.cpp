// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/quiet_times.h"

namespace tavrel {

const char* QuietReasonWords(QuietReason reason) {
    switch (reason) {
        case QuietReason::Paused:
            return "alarms paused";
        case QuietReason::FullscreenProgram:
            return "a fullscreen program";
        case QuietReason::DoNotDisturb:
            return "Do Not Disturb is on";
        case QuietReason::KeptAwake:
            return "a call, a video or a slide show";
        case QuietReason::None:
            break;
    }
    return "";
}

AlarmGate::AlarmGate(AlarmPreferences& preferences, DesktopQuiet* desktop)
    : preferences_(preferences), desktop_(desktop) {}

void AlarmGate::OnSample(const Sample& sample) {
    if (sample.closing) return;
    // A pause that ends on its own ends whether or not an alarm is under way.
    const bool paused = preferences_.PausedAt(sample.utc);
    if (!sample.alarm) {
        alarm_ = false;
        held_ = QuietReason::None;
        askNow_ = true;  // the next alarm asks at its start
        return;
    }
    alarm_ = true;
    if (paused) {
        held_ = QuietReason::Paused;
        askNow_ = true;  // once it ends, the desktop is asked afresh
        return;
    }
    // The desktop is asked at the alarm's start and then once a second, never while quiet.
    if (desktop_ != nullptr && (askNow_ || ++ticksSinceAsked_ >= kAskEveryTicks)) {
        desktopAnswer_ = desktop_->Busy();
        ticksSinceAsked_ = 0;
        askNow_ = false;
    }
    held_ = desktop_ != nullptr ? desktopAnswer_ : QuietReason::None;
}

}  // namespace tavrel
