// SPDX-License-Identifier: GPL-3.0-or-later
// What the window and the tray tip say of the alarm beyond the pain itself: why it is held,
// until when alarms are paused, and how long a rest brings the pain below the threshold,
// counting down as the user rests.
#pragma once

#include <cstdint>

#include "tavrel/alarm_preferences.h"
#include "tavrel/main_window.h"
#include "tavrel/pain_model.h"
#include "tavrel/quiet_times.h"
#include "tavrel/sample.h"
#include "tavrel/window_flags.h"

namespace tavrel {

// "45 s", "2 min 30 s", "1 h 5 min": a rest, rounded up to whole seconds.
void FormatRest(std::int64_t ms, char (&text)[32]);

class AlarmStatus final : public SampleListener {
  public:
    // The rest is worked out again at most this often while nothing else changes.
    static constexpr int kRestEveryTicks = 10;

    // All outlive the status.
    AlarmStatus(const AlarmGate& gate, AlarmPreferences& preferences, const PainModel& model,
                ReadoutDisplay& window, const WindowFlags& flags);

    void OnSample(const Sample& sample) override;
    // Without an alarm, quiet samples change nothing here.
    bool Settled() const override { return !state_.alarm; }
    // Brings the texts and the window's line up to date at once: the window was just shown,
    // or a choice changed them.
    void Refresh();

    // Lines for the tip after "Tavrel : n", apart by line breaks; empty when all is plain.
    const char* tipLines() const { return tip_; }
    // One or two sentences for the window; empty when all is plain.

  private:
    struct State {
        bool alarm = false;
        QuietReason held = QuietReason::None;
        bool paused = false;
        std::int64_t restSeconds = 0;  // or kRestNeverEnough

        bool operator==(const State& o) const {
            return alarm == o.alarm && held == o.held && paused == o.paused &&
                   restSeconds == o.restSeconds;
        }
    };

    State Current(bool alarm);
    void Compose();
    void ShowLine();

    const AlarmGate& gate_;
    AlarmPreferences& preferences_;
    const PainModel& model_;
    ReadoutDisplay& window_;
    const WindowFlags& flags_;
    State state_;
    int ticksSinceRest_ = 0;
    char tip_[128] = "";
    char line_[192] = "";
};

}  // namespace tavrel
