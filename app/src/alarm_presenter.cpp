// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/alarm_presenter.h"

#include <cstdio>

namespace tavrel {

namespace {

constexpr std::int32_t kFlashEvery = 10;

TrayIcon LevelIcon(std::int32_t level) {
    if (level <= 0) return TrayIcon::Level0;
    if (level >= 5) return TrayIcon::Level5;
    return static_cast<TrayIcon>(level);
}

}  // namespace

std::int32_t PainLevel(float pain, float threshold) {
    const std::int32_t whole = TruncToInt32(pain);
    const std::int32_t limit = TruncToInt32(threshold);
    if (limit == 0) return 0;
    const double ratio = static_cast<double>(whole) / limit;
    return TruncToInt32(ratio * 5.0 + 0.5);
}

AlarmPresenter::AlarmPresenter(WindowStacking& window, Tray& tray, WindowFlags& flags,
                               const AlarmGate& gate, const AlarmPreferences& preferences)
    : window_(window), tray_(tray), flags_(flags), gate_(gate), preferences_(preferences) {}

void AlarmPresenter::OnSample(const Sample& sample) {
    if (sample.closing) return;  // nothing is raised or blinks as the program ends
    if (!sample.alarm) {
        TakeQuietPath(sample);
    } else if (gate_.held() != QuietReason::None) {
        // Held: the tray keeps showing the level, the window stays where the user left it.
        TakeQuietPath(sample);
        lastQuiet_ = false;
    } else {
        TakeAlarmPath(sample, preferences_.bringToFront());
    }
}

void AlarmPresenter::TakeAlarmPath(const Sample& sample, bool raise) {
    lastQuiet_ = false;
    if (raise) {
        flags_.raisedByAlarm = 1;
        window_.ShowWithoutFocus();
        flags_.hiddenUndisturbed = 0;
    }
    if (sample.tickCount % kFlashEvery != 0) return;

    if (raise) {
        window_.FlashCaption(true);
        captionFlashed_ = true;
    }
    if (flashPhase_ == 1) {
        ShowIcon(TrayIcon::Alarm1);
        flashPhase_ = 0;
    } else {
        ShowIcon(TrayIcon::Alarm2);
        flashPhase_ = 1;
    }
}

void AlarmPresenter::TakeQuietPath(const Sample& sample) {
    // Giving the caption its normal look again is needed only after it was turned over; the
    // window system repaints the caption on every call.
    if (captionFlashed_) {
        window_.FlashCaption(false);
        captionFlashed_ = false;
    }
    flashPhase_ = 1;

    // The user had hidden the window, an alarm raised it, the user left it up and pain has
    // died away: send it back where the user had put it.
    if (flags_.hiddenUndisturbed == 0 && flags_.hiddenByUser != 0 &&
        TruncToInt32(sample.pain) == 0 && flags_.raisedByAlarm != 0) {
        flags_.raisedByAlarm = 0;
        window_.HideToBottom();
    }

    // Asking for the level icon on every quiet tick brings it back after an alarm.
    ShowIcon(LevelIcon(PainLevel(sample.pain, sample.threshold)));
    lastQuiet_ = true;
}

void AlarmPresenter::ShowIcon(TrayIcon icon) {
    if (icon == shownIcon_) return;
    shownIcon_ = icon;
    tray_.Show(icon, tip_);
}

void AlarmPresenter::SetTip(const char* tip) {
    std::snprintf(tip_, sizeof tip_, "%s", tip);
    tray_.Show(shownIcon_, tip_);
}

void AlarmPresenter::ShowAgain() {
    tray_.Show(shownIcon_, tip_);
}

}  // namespace tavrel
