// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/monitor_controller.h"

#include <cstdio>
#include <string>
#include <cstring>

namespace tavrel {

namespace {

// The characters of a tip that every notification area shows: Windows' 128 with its end.
constexpr std::size_t kTipLength = 127;

// "Tavrel : n", and a word on counting where input is not all counted; below it, what holds
// the alarm, until when it is paused and how long to rest; last, today's mouse and keyboard
// time.
void FormatTip(char (&tip)[160], float pain, const CaptureStatus& status, const char* alarmLines,
               const char* today) {
    const char* note = status.health == CaptureHealth::NotCounting      ? "not counting"
                       : status.health == CaptureHealth::PartlyCounting ? "X11 programs only"
                                                                        : "";
    if (status.health != CaptureHealth::Counting && status.brief != nullptr &&
        status.brief[0] != '\0') {
        note = status.brief;
    }
    const int value = static_cast<int>(TruncToInt32(pain));
    if (note[0] == '\0') {
        std::snprintf(tip, sizeof tip, "Tavrel : %d", value);
    } else {
        std::snprintf(tip, sizeof tip, "Tavrel : %d (%s)", value, note);
    }
    // Whole lines only, and no more than the smallest notification area shows: a line that
    // would be cut off is left out.
    std::size_t length = std::strlen(tip);
    for (const char* lines : {alarmLines, today}) {
        for (const char* line = lines; *line != '\0';) {
            const char* end = std::strchr(line, '\n');
            const std::size_t more =
                end != nullptr ? static_cast<std::size_t>(end - line) : std::strlen(line);
            if (more > 0 && length + 1 + more <= kTipLength) {
                tip[length++] = '\n';
                std::memcpy(tip + length, line, more);
                length += more;
                tip[length] = '\0';
            }
            line += more + (end != nullptr ? 1 : 0);
        }
    }
}

bool SameStatus(const CaptureStatus& a, const CaptureStatus& b) {
    const auto same = [](const char* x, const char* y) {
        return std::strcmp(x != nullptr ? x : "", y != nullptr ? y : "") == 0;
    };
    return a.health == b.health && same(a.reason, b.reason) && same(a.brief, b.brief);
}

}  // namespace

MonitorController::MonitorController(const MonitorRoles& roles)
    : window_(roles.window),
      timer_(roles.timer),
      clock_(roles.clock),
      tray_(roles.tray),
      source_(roles.source),
      wake_(roles.wake),
      notice_(roles.window),
      settings_(roles.view, roles.window, notice_, roles.store, model_),
      pipeline_(roles.clock, roles.source, model_, roles.window, roles.tray, flags_, roles.store,
                notice_, roles.quiet),
      store_(roles.store),
      log_(roles.log) {}

MonitorController::~MonitorController() {
    // Whatever ended the run, the tray icon must not outlive the program.
    if (running_) Stop();
}

void MonitorController::Start(std::int32_t screenWidth) {
    flags_.raisedByAlarm = 0;
    capture_ = source_.Start();
    pipeline_.totals.Load();
    model_.ResetPain();
    model_.screenWidth = static_cast<float>(screenWidth);
    settings_.SelectStoredSet();
    pipeline_.preferences.Load();
    pipeline_.status.Refresh();

    running_ = true;
    char tip[160];
    FormatTip(tip, model_.pain, capture_, pipeline_.status.tipLines(), todayUse_);
    pipeline_.alarm.SetTip(capture_.health == CaptureHealth::Counting ? "Tavrel" : tip);
    window_.SetCaptureNotice(capture_.reason);
    if (!timer_.Start()) window_.ShowMessage("Can't start Timer");
    flags_.hiddenByUser = 0;
    flags_.hiddenUndisturbed = 0;
}

void MonitorController::OnTimer() {
    pipeline_.tick.Run();
    // After the first tick, not in Start: the window is up by then, and the box lets it tick.
    if (!loadProblemTold_) TellLoadProblem();
    // A source can stop counting while running (a lost X connection): say so within a second.
    constexpr std::int32_t kStatusEvery = 20;
    if (pipeline_.tick.tickCount() % kStatusEvery == 0) UpdateCaptureStatus();
    RestIfNothingChanges();
}

void MonitorController::RestIfNothingChanges() {
    // Hidden, free of pain after a rest past the limit, nothing waiting to be stored and no
    // box open: further ticks would only repeat this one. The source must be able to wake us
    // at the next input; one that cannot keeps us ticking.
    if (wake_ == nullptr || !running_ || dormant_ || flags_.WindowShown()) return;
    if (model_.pain != 0.0f || idleMs <= model_.breakLimit || notice_.open()) return;
    if (!pipeline_.tick.ListenersSettled() || !source_.ArmWake(*wake_)) return;
    timer_.Stop();
    dormant_ = true;
}

void MonitorController::Wake() {
    if (!dormant_) return;
    dormant_ = false;
    // Measured from now, the next interval holds only what woke us; the ticks not run are
    // counted, so the saves keep their rhythm.
    pipeline_.tick.Resume(kTickPeriodMs);
    if (!timer_.Start()) window_.ShowMessage("Can't start Timer");
}

void MonitorController::HideToTray() {
    Wake();
    if (!tray_.Available()) {
        // Hidden with nowhere to come back from, the window would be lost.
        window_.Minimize();
        if (!noTrayTold_) {
            noTrayTold_ = true;
            window_.ShowMessage(kNoTrayText);
        }
        return;
    }
    pipeline_.alarm.ShowAgain();
    window_.HideToBottom();
    flags_.hiddenByUser = 1;
    flags_.hiddenUndisturbed = 1;
}

void MonitorController::OnTrayPointed() {
    UpdateCaptureStatus();
    // A pause may have ended while the program rested without ticks.
    if (pipeline_.preferences.paused() && !pipeline_.preferences.PausedAt(clock_.UtcNow())) {
        pipeline_.status.Refresh();
    }
    RefreshTip();
}

void MonitorController::RefreshTip() {
    char tip[160];
    FormatTip(tip, model_.pain, capture_, pipeline_.status.tipLines(), todayUse_);
    pipeline_.alarm.SetTip(tip);
}

void MonitorController::SetTodayUse(const char* text) {
    if (std::strcmp(text, todayUse_) == 0) return;
    std::snprintf(todayUse_, sizeof todayUse_, "%s", text);
    window_.SetTodayUse(todayUse_);
    // The tip takes it when it is next pointed at, as it takes the pain.
}

void MonitorController::OnPauseAlarms(PauseLength length) {
    Wake();
    pipeline_.preferences.Pause(length);
    pipeline_.status.Refresh();
    RefreshTip();
}

void MonitorController::OnResumeAlarms() {
    Wake();
    pipeline_.preferences.Resume();
    pipeline_.status.Refresh();
    RefreshTip();
}

void MonitorController::OnBringToFrontChosen(bool on) {
    Wake();
    pipeline_.preferences.SetBringToFront(on);
}

void MonitorController::OnTrayActivated() {
    Wake();
    OnTrayPointed();
    ShowWindow();
}

void MonitorController::ShowWindow() {
    window_.Raise();
    flags_.hiddenByUser = 0;
    flags_.hiddenUndisturbed = 0;
    pipeline_.readouts.Refresh();
    pipeline_.status.Refresh();
}

void MonitorController::OnTrayRestarted() {
    Wake();
    if (running_) pipeline_.alarm.ShowAgain();
}

bool MonitorController::OnQuit() {
    Wake();
    if (settings_.QuerySaveSettings() == 0) return false;
    pipeline_.tick.EndSession(SessionEnd::Quit);
    Stop();
    window_.Close();
    return true;
}

void MonitorController::OnSessionEnd() {
    if (!running_) return;
    Wake();
    pipeline_.tick.EndSession(SessionEnd::Logoff);
    Stop();
}

void MonitorController::Stop() {
    running_ = false;
    timer_.Stop();
    tray_.Remove();
    source_.Stop();
}

void MonitorController::UpdateCaptureStatus() {
    const CaptureStatus now = source_.Status();
    // A new reason with the same health (another refusal) is news to the user too.
    if (SameStatus(now, capture_)) return;
    const bool lost =
        now.health != CaptureHealth::Counting && capture_.health == CaptureHealth::Counting;
    capture_ = now;
    window_.SetCaptureNotice(capture_.reason);
    if (log_ != nullptr) {
        log_->Note(lost ? "capture-lost" : "capture-changed",
                   capture_.health == CaptureHealth::Counting ? std::string("counting again")
                                                              : std::string(capture_.reason));
    }
}

void MonitorController::TellLoadProblem() {
    loadProblemTold_ = true;
    const std::string problem = store_.LoadProblem();
    if (problem.empty()) return;
    if (log_ != nullptr) log_->Note("settings-unreadable", problem);
    notice_.Report(problem.c_str());
}

void MonitorController::OnDebugInfo() {
    Wake();
    // The panel itself stays visible either way; only the caption alternates.
    debugCaptionShows_ = !debugCaptionShows_;
    window_.SetDebugInfoCaption(debugCaptionShows_ ? kShowDebugInfo : kHideDebugInfo);
}

}  // namespace tavrel
