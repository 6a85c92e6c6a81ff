// SPDX-License-Identifier: GPL-3.0-or-later
// Times when the alarm must not interrupt the user: alarms paused, a fullscreen program in
// front, the desktop's Do Not Disturb, or a program keeping the screen awake for a call, a
// video or a slide show. The alarm is held, never lost: pain, counting, history and the tray's
// level go on, and it comes as soon as the quiet time ends.
#pragma once

#include <cstdint>

#include "tavrel/alarm_preferences.h"
#include "tavrel/sample.h"

namespace tavrel {

enum class QuietReason {
    None,
    Paused,             // the user paused alarms
    FullscreenProgram,  // a fullscreen window has the focus, or the desktop says presenting
    DoNotDisturb,       // the desktop's Do Not Disturb
    KeptAwake,          // a program inhibits idle: a call, a video, a slide show
};

// What holds the alarm, in a few plain words: "a fullscreen program".
const char* QuietReasonWords(QuietReason reason);

// The role a shell plays for the desktop: is it busy, and why. Asked only while a warning
// would be given: at an alarm's start and at most once a second while it lasts, and at most
// once a minute while the daily mouse limit waits to be told.
class DesktopQuiet {
  public:
    virtual QuietReason Busy() = 0;

  protected:
    ~DesktopQuiet() = default;
};

// Decides for each sample whether its alarm shows or is held. The first listener of the
// tick: the alarm's presenters read its answer for the same sample.
class AlarmGate final : public SampleListener {
  public:
    static constexpr int kAskEveryTicks = 20;

    // Both outlive the gate; without a desktop only a pause holds the alarm.
    AlarmGate(AlarmPreferences& preferences, DesktopQuiet* desktop);

    void OnSample(const Sample& sample) override;
    // A quiet sample changes nothing here.
    bool Settled() const override { return true; }
    // The desktop said its state changed: an alarm under way asks again at its next tick.
    void DesktopChanged() { askNow_ = true; }

    // Of the last sample: why its alarm is held (None when it shows or there is none).
    QuietReason held() const { return held_; }
    bool alarm() const { return alarm_; }
    bool alarmShows() const { return alarm_ && held_ == QuietReason::None; }

  private:
    AlarmPreferences& preferences_;
    DesktopQuiet* desktop_;
    bool alarm_ = false;
    bool askNow_ = true;
    int ticksSinceAsked_ = 0;
    QuietReason desktopAnswer_ = QuietReason::None;
    QuietReason held_ = QuietReason::None;
};

}  // namespace tavrel
