#include "tavrel/sampling_tick.h"

#include <cstdio>
#include <cstring>

#include "resource.h"
#include "tavrel/elapsed_time.h"

namespace tavrel {

namespace {

constexpr std::int32_t kTickWrap = 1000;  // the counter runs 1 to 999
constexpr std::int32_t kFlashEvery = 10;
constexpr std::int32_t kSaveEvery = 100;
constexpr const char* kWriteFailed = "Can't write to INI file?";

std::uint64_t ValueKey(std::int32_t a, std::int32_t b = 0) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(a)) << 32) |
           static_cast<std::uint32_t>(b);
}

// The bit pattern: tells -0 from 0, and a NaN equals itself.
std::uint64_t ValueKey(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

TrayIcon LevelIcon(std::int32_t level) {
    static constexpr TrayIcon kIcons[] = {TrayIcon::Level0, TrayIcon::Level1, TrayIcon::Level2,
                                          TrayIcon::Level3, TrayIcon::Level4, TrayIcon::Level5};
    if (level <= 0) return TrayIcon::Level0;
    if (level >= 5) return TrayIcon::Level5;
    return kIcons[level];
}

}  // namespace

int TrayIconResource(TrayIcon icon) {
    switch (icon) {
        case TrayIcon::Level0:
            return IDI_LEVEL0;
        case TrayIcon::Level1:
            return IDI_LEVEL1;
        case TrayIcon::Level2:
            return IDI_LEVEL2;
        case TrayIcon::Level3:
            return IDI_LEVEL3;
        case TrayIcon::Level4:
            return IDI_LEVEL4;
        case TrayIcon::Level5:
            return IDI_LEVEL5;
        case TrayIcon::Alarm1:
            return IDI_ALARM1;
        case TrayIcon::Alarm2:
            return IDI_ALARM2;
    }
    return IDI_LEVEL0;
}

std::int32_t PainLevel(float pain, float threshold) {
    const std::int32_t whole = TruncToInt32(pain);
    const std::int32_t limit = TruncToInt32(threshold);
    if (limit == 0) return 0;
    const double ratio = static_cast<double>(whole) / limit;
    return TruncToInt32(ratio * 5.0 + 0.5);
}

SamplingTick::SamplingTick(TickHost& host, PainModel& model, WindowFlags& flags,
                           SettingsStore& store)
    : host_(host), model_(model), flags_(flags), store_(store) {}

void SamplingTick::Run() {
    if (tickCount_ == 0) lastSampleTime_ = host_.Now();
    if (++tickCount_ == kTickWrap) tickCount_ = 1;

    host_.TakeActivity(activity_);
    const SystemTime now = host_.Now();
    const SampleInterval interval = MeasureInterval(lastSampleTime_, now);
    lastSampleTime_ = now;
    // The interval's activity is dropped; the next tick measures from this reading.
    if (interval.skipped) return;

    clickTotal_ = WrapAdd(clickTotal_, activity_.clicks);
    doubleClickTotal_ = WrapAdd(doubleClickTotal_, activity_.doubleClicks);

    const std::int32_t alarm =
        model_.Update(activity_.moveDistance, activity_.dragDistance, activity_.clicks,
                      activity_.doubleClicks, activity_.keys, interval.elapsedMs);
    if (alarm == 1) {
        TakeAlarmPath();
    } else {
        TakeQuietPath();
    }

    // Nobody sees the read-outs of a hidden window; setting them costs the window system a
    // repaint each time.
    if (WindowShown()) ShowReadouts();
    // Last, because a failure message lets further ticks run inside this one.
    if (tickCount_ % kSaveEvery == 0) SaveTotals();
}

void SamplingTick::TakeAlarmPath() {
    flags_.raisedByAlarm = 1;
    host_.RaiseWindow();
    flags_.hiddenUndisturbed = 0;
    if (tickCount_ % kFlashEvery != 0) return;

    host_.FlashCaption(true);
    captionFlashed_ = true;
    if (flashPhase_ == 1) {
        ShowTrayIcon(TrayIcon::Alarm1);
        flashPhase_ = 0;
    } else {
        ShowTrayIcon(TrayIcon::Alarm2);
        flashPhase_ = 1;
    }
}

void SamplingTick::TakeQuietPath() {
    // Giving the caption its normal look again is needed only after it was turned over; the
    // window system repaints the caption on every call.
    if (captionFlashed_) {
        host_.FlashCaption(false);
        captionFlashed_ = false;
    }
    flashPhase_ = 1;

    // The user had hidden the window, an alarm raised it, the user left it up and pain has
    // died away: send it back where the user had put it.
    if (flags_.hiddenUndisturbed == 0 && flags_.hiddenByUser != 0 &&
        TruncToInt32(model_.pain) == 0 && flags_.raisedByAlarm != 0) {
        flags_.raisedByAlarm = 0;
        host_.HideWindowToBottom();
    }

    // Asking for the level icon on every quiet tick brings it back after an alarm.
    ShowTrayIcon(LevelIcon(PainLevel(model_.pain, model_.threshold)));
}

// Shown, or raised by an alarm; hidden by the user, or hidden again after an alarm, it is not.
bool SamplingTick::WindowShown() const {
    return flags_.hiddenByUser == 0 ||
           (flags_.hiddenUndisturbed == 0 && flags_.raisedByAlarm != 0);
}

void SamplingTick::RefreshReadouts() {
    if (tickCount_ != 0) ShowReadouts();  // before the first tick the placeholders stay
}

void SamplingTick::ShowTrayIcon(TrayIcon icon) {
    if (icon == shownTrayIcon_) return;
    shownTrayIcon_ = icon;
    host_.SetTrayIcon(icon);
}

void SamplingTick::ShowReadouts() {
    char text[kReadoutTextSize];
    if (ReadoutValueChanged(0, ValueKey(tickCount_))) {
        std::snprintf(text, sizeof text, "%6u", static_cast<unsigned>(tickCount_));
        ShowReadout(0, IDC_TICK_COUNT, text);
    }
    if (ReadoutValueChanged(1, ValueKey(activity_.moveDistance))) {
        std::snprintf(text, sizeof text, "%6.0f", static_cast<double>(activity_.moveDistance));
        ShowReadout(1, IDC_DISTANCE, text);
    }
    if (ReadoutValueChanged(2, ValueKey(activity_.dragDistance))) {
        std::snprintf(text, sizeof text, "%6.0f", static_cast<double>(activity_.dragDistance));
        ShowReadout(2, IDC_DRAG_DISTANCE, text);
    }
    if (ReadoutValueChanged(3, ValueKey(clickTotal_, doubleClickTotal_))) {
        std::snprintf(text, sizeof text, "%2d %2d", static_cast<int>(clickTotal_),
                      static_cast<int>(doubleClickTotal_));
        ShowReadout(3, IDC_CLICKS, text);
    }
    const std::int32_t pain = TruncToInt32(model_.pain);
    if (ReadoutValueChanged(4, ValueKey(pain))) {
        std::snprintf(text, sizeof text, "%6d", static_cast<int>(pain));
        ShowReadout(4, IDC_PAIN, text);
    }
    if (ReadoutValueChanged(5, ValueKey(model_.totalDistance))) {
        std::snprintf(text, sizeof text, "%12ld", static_cast<long>(model_.totalDistance));
        ShowReadout(5, IDC_TOTAL_DISTANCE, text);
    }
    if (ReadoutValueChanged(6, ValueKey(model_.totalKeys))) {
        std::snprintf(text, sizeof text, "%12ld", static_cast<long>(model_.totalKeys));
        ShowReadout(6, IDC_TOTAL_KEYS, text);
    }
}

bool SamplingTick::ReadoutValueChanged(int slot, std::uint64_t value) {
    Readout& shown = readouts_[slot];
    if (shown.set && shown.value == value) return false;
    shown.value = value;
    return true;
}

void SamplingTick::ShowReadout(int slot, int controlId, const char* text) {
    // Different values can still read the same, such as 99.6 and 100.4 pixels.
    Readout& shown = readouts_[slot];
    if (shown.set && std::strcmp(shown.text, text) == 0) return;
    std::snprintf(shown.text, sizeof shown.text, "%s", text);
    shown.set = true;
    host_.SetReadout(controlId, text);
}

void SamplingTick::SaveTotals() {
    if (!store_.WriteInt("Main", "Distance", model_.totalDistance)) ReportWriteFailure();
    if (!store_.WriteInt("Main", "TotalKeys", model_.totalKeys)) ReportWriteFailure();
}

void SamplingTick::ReportWriteFailure() {
    // While one message waits for its OK, the ticks that run inside it add none: a store
    // that keeps failing must not stack them up. The writes themselves go on being tried.
    if (messageOpen_) return;
    messageOpen_ = true;
    host_.ShowMessage(kWriteFailed);
    messageOpen_ = false;
}

}  // namespace tavrel
