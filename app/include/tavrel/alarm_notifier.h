// SPDX-License-Identifier: GPL-3.0-or-later
// The alarm as a desktop notification with the pain, the threshold and how long to rest,
// withdrawn once the alarm is over or held, as the caption's flashing ends: where the user
// chose it instead of the window, and where a window may not bring itself to the front (a
// Wayland desktop) beside the window.
#pragma once

#include "tavrel/alarm_preferences.h"
#include "tavrel/pain_model.h"
#include "tavrel/quiet_times.h"
#include "tavrel/sample.h"

namespace tavrel {

class DesktopNotifier {
  public:
    // Shows the notification, replacing the one shown before if it is still there.
    virtual void Notify(const char* summary, const char* body) = 0;
    // Takes the last notification away, if it is still shown.
    virtual void Withdraw() = 0;

  protected:
    ~DesktopNotifier() = default;
};

class AlarmNotifier final : public SampleListener {
  public:
    // withWindow: notify even while the alarm also brings the window (it may not get there).
    // Everything passed outlives the notifier; the gate hears each sample before it.
    AlarmNotifier(DesktopNotifier& notifier, const AlarmGate& gate,
                  const AlarmPreferences& preferences, const PainModel& model, bool withWindow);

    void OnSample(const Sample& sample) override;
    // Out of an alarm, a quiet tick changes nothing here.
    bool Settled() const override { return !shown_; }

  private:
    DesktopNotifier& notifier_;
    const AlarmGate& gate_;
    const AlarmPreferences& preferences_;
    const PainModel& model_;
    bool withWindow_;
    bool shown_ = false;
    char body_[160] = "";
};

}  // namespace tavrel
