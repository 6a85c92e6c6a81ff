// SPDX-License-Identifier: GPL-3.0-or-later
// What the user chose about the alarm, kept in the store's Main section: whether it brings the
// window to the front (else it is a desktop notification), and a pause of the alarms.
#pragma once

#include <cstdint>

#include "tavrel/clock.h"
#include "tavrel/failure_notice.h"
#include "tavrel/settings_store.h"

namespace tavrel {

constexpr char kAlarmToFrontKey[] = "AlarmToFront";
constexpr char kPausedUntilKey[] = "PausedUntil";

enum class PauseLength { ThirtyMinutes, OneHour, UntilTomorrow };

// The menus' pause choices in their order, with their access keys, and the alarm's check item.
struct PauseChoice {
    const char* text;
    PauseLength length;
};
constexpr PauseChoice kPauseChoices[] = {{"For &30 minutes", PauseLength::ThirtyMinutes},
                                         {"For 1 &hour", PauseLength::OneHour},
                                         {"Until &tomorrow", PauseLength::UntilTomorrow}};
constexpr char kBringToFrontText[] = "Bring the window to the &front";

// The stored form of a pause's end: UTC, "2026-12-08T14:30:00Z". False for anything else.
bool ParsePauseEnd(const char* text, std::int64_t& epochMs);
void FormatPauseEnd(std::int64_t epochMs, char (&text)[40]);

class AlarmPreferences {
  public:
    // All three outlive the preferences; the notice tells of a choice that could not be kept.
    AlarmPreferences(SettingsStore& store, Clock& clock, FailureNotice& notice);

    // Reads both choices. A pause that has ended, or that would end later than any pause can
    // (the clock was set back, the value was edited), is no pause.
    void Load();

    bool bringToFront() const { return bringToFront_; }
    void SetBringToFront(bool on);

    // From now: for 30 minutes, an hour, or until the next local midnight.
    void Pause(PauseLength length);
    void Resume();
    // True while a pause lasts at this UTC reading; one that has ended is forgotten here and
    // in the store.
    bool PausedAt(const SystemTime& utc);
    bool paused() const { return pausedUntilMs_ != 0; }
    // The end of the pause in local time, "14:30", or "midnight"; empty when not paused.
    const char* pausedUntilText() const { return untilText_; }

  private:
    void SetPauseEnd(std::int64_t epochMs);
    void Write(const char* key, const char* text);

    SettingsStore& store_;
    Clock& clock_;
    FailureNotice& notice_;
    bool bringToFront_ = true;
    std::int64_t pausedUntilMs_ = 0;  // 0: not paused
    char untilText_[12] = "";
};

}  // namespace tavrel
