// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/alarm_status.h"

#include <cstdio>

#include "tavrel/rest_estimate.h"
#include "tavrel/sampling_tick.h"

namespace tavrel {

void FormatRest(std::int64_t ms, char (&text)[32]) {
    const long long seconds = ms <= 0 ? 0 : (ms + 999) / 1000;
    if (seconds < 60) {
        std::snprintf(text, sizeof text, "%lld s", seconds);
    } else if (seconds < 3600) {
        const long long s = seconds % 60;
        if (s == 0) {
            std::snprintf(text, sizeof text, "%lld min", seconds / 60);
        } else {
            std::snprintf(text, sizeof text, "%lld min %lld s", seconds / 60, s);
        }
    } else {
        // Past an hour the seconds would only flicker: whole minutes, rounded up.
        const long long minutes = (seconds + 59) / 60;
        std::snprintf(text, sizeof text, "%lld h %lld min", minutes / 60, minutes % 60);
    }
}

AlarmStatus::AlarmStatus(const AlarmGate& gate, AlarmPreferences& preferences,
                         const PainModel& model, ReadoutDisplay& window, const WindowFlags& flags)
    : gate_(gate), preferences_(preferences), model_(model), window_(window), flags_(flags) {}

AlarmStatus::State AlarmStatus::Current(bool alarm) {
    State s;
    s.alarm = alarm;
    s.held = alarm ? gate_.held() : QuietReason::None;
    s.paused = preferences_.paused();
    if (alarm) {
        const std::int64_t ms = RestNeededMs(model_, idleMs, kTickPeriodMs);
        s.restSeconds = ms == kRestNeverEnough ? ms : (ms + 999) / 1000;
    }
    return s;
}

void AlarmStatus::OnSample(const Sample& sample) {
    if (sample.closing) return;
    const bool alarm = gate_.alarm();
    // Out of an alarm only a pause's start or end changes anything; in one, the rest is
    // worked out again now and then, and at once when the alarm is held or shown anew.
    if (!alarm && !state_.alarm && state_.paused == preferences_.paused()) return;
    if (alarm && state_.alarm && state_.held == gate_.held() &&
        state_.paused == preferences_.paused() && ++ticksSinceRest_ < kRestEveryTicks) {
        return;
    }
    ticksSinceRest_ = 0;
    const State now = Current(alarm);
    if (now == state_) return;
    state_ = now;
    Compose();
    ShowLine();
}

void AlarmStatus::Refresh() {
    state_ = Current(gate_.alarm());
    ticksSinceRest_ = 0;
    Compose();
    ShowLine();
}

void AlarmStatus::ShowLine() {
    // A hidden window's line waits until it is shown.
    if (flags_.WindowShown()) window_.SetAlarmStatus(line_);
}

void AlarmStatus::Compose() {
    char firstTip[96] = "";
    if (state_.held != QuietReason::None && state_.held != QuietReason::Paused) {
        std::snprintf(firstTip, sizeof firstTip, "Alarm held: %s", QuietReasonWords(state_.held));
    } else if (state_.paused) {
        std::snprintf(firstTip, sizeof firstTip, "Alarms paused until %s",
                      preferences_.pausedUntilText());
    }

    char rest[96] = "";
    char restTip[96] = "";
    if (state_.alarm) {
        if (state_.restSeconds != kRestNeverEnough) {
            char length[32];
            FormatRest(state_.restSeconds * 1000, length);
            std::snprintf(rest, sizeof rest, "Rest %s to bring the pain below the threshold.",
                          length);
            std::snprintf(restTip, sizeof restTip, "Rest %s", length);
        } else if (!(model_.threshold > 0.0f)) {
            std::snprintf(rest, sizeof rest, "No rest brings the pain below a threshold of 0.");
            std::snprintf(restTip, sizeof restTip, "No rest is enough");
        } else {
            std::snprintf(rest, sizeof rest, "Only RESET lowers the pain: its decay is 0.");
            std::snprintf(restTip, sizeof restTip, "Only RESET lowers the pain");
        }
    }

    // The window's line: the tip's sentences, each ended.
    const char* afterFirst = firstTip[0] == '\0' ? "" : rest[0] != '\0' ? ". " : ".";
    std::snprintf(line_, sizeof line_, "%s%s%s", firstTip, afterFirst, rest);
    const char* between = firstTip[0] != '\0' && restTip[0] != '\0' ? "\n" : "";
    std::snprintf(tip_, sizeof tip_, "%s%s%s", firstTip, between, restTip);
}

}  // namespace tavrel
