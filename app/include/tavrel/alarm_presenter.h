// SPDX-License-Identifier: GPL-3.0-or-later
// Turns each sample into what the user sees of the alarm: the window shown above the others
// (never taking the keyboard) and its caption flashing while pain is at the threshold, the tray
// icon blinking between the two alarm icons, the level icon otherwise, and a window the alarm
// pulled up sent back once pain has died away. A held alarm shows the level icon and leaves
// the window alone; with the window's choice off, only the tray blinks (a notification tells).
#pragma once

#include <cstdint>

#include "tavrel/alarm_preferences.h"
#include "tavrel/main_window.h"
#include "tavrel/pain_model.h"
#include "tavrel/quiet_times.h"
#include "tavrel/sample.h"
#include "tavrel/tray.h"
#include "tavrel/window_flags.h"

namespace tavrel {

// The level, 0 to 5, of the icon that shows pain against the threshold while there is no
// alarm. Both are truncated first; a threshold truncating to 0 gives level 0.
std::int32_t PainLevel(float pain, float threshold);

class AlarmPresenter final : public SampleListener {
  public:
    // The tray is taken to show the level-0 icon, which start-up puts there. The gate hears
    // each sample first.
    AlarmPresenter(WindowStacking& window, Tray& tray, WindowFlags& flags, const AlarmGate& gate,
                   const AlarmPreferences& preferences);

    void OnSample(const Sample& sample) override;
    // After a quiet sample the next one at the same pain repeats what it did.
    bool Settled() const override { return lastQuiet_; }

    // The tip the tray shows with the icon.
    void SetTip(const char* tip);
    // Puts the icon back into a notification area that lost it (the shell restarted).
    void ShowAgain();

    std::int32_t flashPhase() const { return flashPhase_; }  // 1: the first alarm icon is next
    TrayIcon shownIcon() const { return shownIcon_; }

  private:
    void TakeAlarmPath(const Sample& sample, bool raise);
    void TakeQuietPath(const Sample& sample);
    void ShowIcon(TrayIcon icon);

    WindowStacking& window_;
    Tray& tray_;
    WindowFlags& flags_;
    const AlarmGate& gate_;
    const AlarmPreferences& preferences_;
    // 1 from the start, so that even an alarm before any quiet tick shows the first icon first.
    std::int32_t flashPhase_ = 1;
    TrayIcon shownIcon_ = TrayIcon::Level0;
    // The caption has been turned over since it was last given back its normal look.
    bool captionFlashed_ = false;
    bool lastQuiet_ = false;
    char tip_[160] = "Tavrel";
};

}  // namespace tavrel
