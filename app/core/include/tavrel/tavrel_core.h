// The whole program's behaviour wired once for every shell: the controller with its tick and
// listeners, and the usage history's writer and recorder listening after them. A shell builds
// its roles, hands them over, and forwards its events to controller().
#pragma once

#include <optional>

#include "tavrel/history_files.h"
#include "tavrel/history_recorder.h"
#include "tavrel/history_writer.h"
#include "tavrel/monitor_controller.h"
#include "tavrel/sample.h"

namespace tavrel {

struct CoreRoles {
    MonitorRoles monitor;
    // Where the minutes are kept; null where there is nowhere to keep them.
    HistoryFiles* historyFiles;
};

class TavrelCore {
  public:
    // Every role outlives the core.
    explicit TavrelCore(const CoreRoles& roles);
    TavrelCore(const TavrelCore&) = delete;
    TavrelCore& operator=(const TavrelCore&) = delete;

    MonitorController& controller() { return controller_; }
    const MonitorController& controller() const { return controller_; }
    // Hears every sample after the history; add before Start.
    bool AddListener(SampleListener& listener) { return controller_.AddListener(listener); }
    // False when no history is kept: no folder, or no room left among the tick's listeners.
    bool keepsHistory() const { return keepsHistory_; }

  private:
    // The writer and recorder are there before the controller starts calling them and stay
    // until it is gone, so they come first and go last.
    std::optional<HistoryWriter> historyWriter_;
    std::optional<HistoryRecorder> historyRecorder_;  // needs the controller's notice
    MonitorController controller_;
    bool keepsHistory_ = false;
};

}  // namespace tavrel
