// The 50 ms heartbeat: takes the hooks' activity and the time since the previous tick, feeds
// the pain model, and turns its answer into the alarm or the quiet display, the read-outs and
// the periodic save of the totals.
#pragma once

#include <cstdint>

#include "TavrelHooks.h"
#include "tavrel/pain_model.h"
#include "tavrel/settings_store.h"
#include "tavrel/tick_host.h"

namespace tavrel {

class SamplingTick {
  public:
    // All four outlive the tick. The notification area is taken to show the level-0 icon,
    // which start-up puts there.
    SamplingTick(TickHost& host, PainModel& model, WindowFlags& flags, SettingsStore& store);
    SamplingTick(const SamplingTick&) = delete;
    SamplingTick& operator=(const SamplingTick&) = delete;

    // One timer message. May run again inside itself while a failure message waits.
    void Run();
    // Brings the read-outs up to date at once, for a window that has just been shown: while
    // it is hidden the ticks leave them alone.
    void RefreshReadouts();

    std::int32_t tickCount() const { return tickCount_; }  // 0 before the first; then 1 to 999
    const SystemTime& lastSampleTime() const { return lastSampleTime_; }
    std::int32_t clickTotal() const { return clickTotal_; }
    std::int32_t doubleClickTotal() const { return doubleClickTotal_; }
    std::int32_t flashPhase() const { return flashPhase_; }  // 1: the first alarm icon is next
    TrayIcon shownTrayIcon() const { return shownTrayIcon_; }
    const MDTAG& activity() const { return activity_; }  // the last record taken
    bool messageOpen() const { return messageOpen_; }

  private:
    static constexpr int kReadoutCount = 7;
    static constexpr int kReadoutTextSize = 48;  // the widest: a float's 39 digits and sign

    // What each read-out shows, and the value it was formatted from: an unchanged value is
    // neither formatted nor set again.
    struct Readout {
        bool set;
        std::uint64_t value;
        char text[kReadoutTextSize];
    };

    void TakeAlarmPath();
    void TakeQuietPath();
    void ShowTrayIcon(TrayIcon icon);
    bool WindowShown() const;
    void ShowReadouts();
    bool ReadoutValueChanged(int slot, std::uint64_t value);
    void ShowReadout(int slot, int controlId, const char* text);
    void SaveTotals();
    void ReportWriteFailure();

    TickHost& host_;
    PainModel& model_;
    WindowFlags& flags_;
    SettingsStore& store_;

    std::int32_t tickCount_ = 0;
    SystemTime lastSampleTime_{};
    std::int32_t clickTotal_ = 0;
    std::int32_t doubleClickTotal_ = 0;
    // 1 from the start, so that even an alarm before any quiet tick shows the first icon first.
    std::int32_t flashPhase_ = 1;
    TrayIcon shownTrayIcon_ = TrayIcon::Level0;
    MDTAG activity_{};
    bool messageOpen_ = false;
    // The caption has been turned over since it was last given back its normal look.
    bool captionFlashed_ = false;
    Readout readouts_[kReadoutCount]{};
};

// The level, 0 to 5, of the icon that shows pain against the threshold while there is no
// alarm. Both are truncated first; a threshold truncating to 0 gives level 0.
std::int32_t PainLevel(float pain, float threshold);

}  // namespace tavrel
