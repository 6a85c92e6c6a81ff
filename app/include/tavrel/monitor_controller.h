// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's behaviour on any desktop: start-up, hiding to and showing from the
// notification area, Quit, the end of the session, the settings verbs, and the parts that
// listen to the tick.
#pragma once

#include <cstdint>

#include "tavrel/activity_source.h"
#include "tavrel/alarm_presenter.h"
#include "tavrel/clock.h"
#include "tavrel/diagnostics_log.h"
#include "tavrel/failure_notice.h"
#include "tavrel/main_window.h"
#include "tavrel/monitor_settings.h"
#include "tavrel/pain_model.h"
#include "tavrel/readout_panel.h"
#include "tavrel/sampling_tick.h"
#include "tavrel/settings_store.h"
#include "tavrel/tick_pipeline.h"
#include "tavrel/tick_timer.h"
#include "tavrel/totals_keeper.h"
#include "tavrel/tray.h"
#include "tavrel/window_flags.h"

namespace tavrel {

constexpr char kShowDebugInfo[] = "Show Debugging &Info";
constexpr char kHideDebugInfo[] = "Hide Debugging &Info";
constexpr char kNoTrayText[] =
    "There is no notification area on this desktop: Tavrel minimises its window instead of "
    "hiding it.";

// The roles a platform shell hands to the controller; all outlive it.
struct MonitorRoles {
    MainWindow& window;
    TickTimer& timer;
    SettingsView& view;
    Tray& tray;
    Clock& clock;
    ActivitySource& source;
    SettingsStore& store;
    DiagnosticsLog* log = nullptr;  // none: nothing is logged
    // Posts Wake to the GUI thread from the source's thread. Without one the timer never
    // stops.
    WakeTarget* wake = nullptr;
    // Says whether the desktop is busy (fullscreen, Do Not Disturb, a call). Without one,
    // only a pause holds the alarm.
    DesktopQuiet* quiet = nullptr;
};

class MonitorController {
  public:
    explicit MonitorController(const MonitorRoles& roles);
    ~MonitorController();
    MonitorController(const MonitorController&) = delete;
    MonitorController& operator=(const MonitorController&) = delete;

    // Hears every sample after the controller's own listeners; add before Start.
    bool AddListener(SampleListener& listener) { return pipeline_.tick.AddListener(listener); }

    // Starts counting, reads the totals and the active settings set, puts the icon into the
    // notification area and starts the 50 ms timer.
    void Start(std::int32_t screenWidth);
    void OnTimer();
    void HideToTray();
    // The pointer is over the tray icon: its tip shows the current pain.
    void OnTrayPointed();
    // The user asked the tray icon for the window (a double-click, or any activation where
    // the desktop reports no double-click).
    void OnTrayActivated();
    // The notification area came back after its host restarted: the icon goes in again.
    void OnTrayRestarted();
    // False when the user cancelled at the save prompt and the program goes on.
    bool OnQuit();
    // Logoff, shutdown or a request to end: keeps what Quit keeps, asking nothing.
    void OnSessionEnd();
    void OnDebugInfo();
    // On the GUI thread, for the source's wake-up and for anything the user does that the
    // controller does not hear of (a tray menu entry of the shell's own): the timer runs
    // again if it had stopped. Every verb here but OnTimer and OnTrayPointed wakes itself.
    void Wake();
    // The timer is stopped: the window is hidden, pain is 0 after a rest past the break
    // limit and nothing waits to be stored, so ticks would change nothing.
    bool dormant() const { return dormant_; }

    // The settings verbs, as the window's buttons and fields report them.
    // "&Save": false, after telling the user, when the set could not be stored.
    bool OnSave() {
        Wake();
        return settings_.SaveSettings();
    }
    void OnPainfulSet() {
        Wake();
        settings_.OnPainfulSet();
    }
    void OnNormalSet() {
        Wake();
        settings_.OnNormalSet();
    }
    // "RESET": the pain goes back to 0.
    void OnReset() {
        Wake();
        settings_.OnReset();
    }
    // The alarm's choices, from the tray menu or the window's menu.
    void OnPauseAlarms(PauseLength length);
    void OnResumeAlarms();
    void OnBringToFrontChosen(bool on);
    // The desktop told of a change (Do Not Disturb, a program's inhibitor): an alarm under
    // way asks it again at the next tick.
    void OnDesktopQuietChanged() { pipeline_.gate.DesktopChanged(); }
    // Today's mouse and keyboard time changed: for the window now, and below the pain in the
    // tip when it is next pointed at.
    void SetTodayUse(const char* text);
    // A settings field lost the focus holding this text.
    void OnFieldCommitted(SettingId field, const char* text) {
        Wake();
        settings_.CommitSettingField(field, text);
    }

    const MonitorSettings& settings() const { return settings_; }
    // The one failure box every writer shares, the history recorder's too.
    FailureNotice& notice() { return notice_; }
    PainModel& model() { return model_; }
    const WindowFlags& flags() const { return flags_; }
    const SamplingTick& tick() const { return pipeline_.tick; }
    const ReadoutPanel& readouts() const { return pipeline_.readouts; }
    const AlarmPresenter& alarm() const { return pipeline_.alarm; }
    const AlarmGate& alarmGate() const { return pipeline_.gate; }
    const AlarmPreferences& alarmPreferences() const { return pipeline_.preferences; }
    CaptureStatus captureStatus() const { return capture_; }

  private:
    void ShowWindow();
    void Stop();
    void UpdateCaptureStatus();
    void TellLoadProblem();
    void RefreshTip();
    void RestIfNothingChanges();

    MainWindow& window_;
    TickTimer& timer_;
    Clock& clock_;
    Tray& tray_;
    ActivitySource& source_;
    WakeTarget* wake_;
    PainModel model_{};
    WindowFlags flags_;
    FailureNotice notice_;
    MonitorSettings settings_;
    TickPipeline pipeline_;
    CaptureStatus capture_;
    bool running_ = false;
    bool dormant_ = false;
    bool debugCaptionShows_ = true;  // the button offers "Show Debugging &Info"
    bool noTrayTold_ = false;
    SettingsStore& store_;
    DiagnosticsLog* log_;
    bool loadProblemTold_ = false;
    char todayUse_[96] = "";
};

}  // namespace tavrel
