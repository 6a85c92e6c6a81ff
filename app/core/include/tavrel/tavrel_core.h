// SPDX-License-Identifier: GPL-3.0-or-later
// The whole program's behaviour wired once for every shell: the controller with its tick and
// listeners, the usage history's writer and recorder listening after them, the copy of the
// history into a shared folder, today's mouse and keyboard time and its daily limit. A shell
// builds its roles, hands them over, and forwards its events to controller().
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "tavrel/alarm_notifier.h"
#include "tavrel/daily_mouse_limit.h"
#include "tavrel/history_files.h"
#include "tavrel/history_recorder.h"
#include "tavrel/history_writer.h"
#include "tavrel/monitor_controller.h"
#include "tavrel/sample.h"
#include "tavrel/shared_history.h"
#include "tavrel/today_use.h"

namespace tavrel {

struct CoreRoles {
    MonitorRoles monitor;
    // Where the minutes are kept; null where there is nowhere to keep them.
    HistoryFiles* historyFiles;
    // The folder of those files on disk, for the copy into a shared folder; empty: no copy.
    std::filesystem::path historyFolder = {};
    // The computer's name as the system knows it: what the shared folder calls it by default.
    std::string hostName = {};
    // Where the daily mouse limit is told; none: nowhere.
    DesktopNotifier* notifier = nullptr;
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
    // The sharing of the history; null where no history folder was named.
    SharedHistory* sharedHistory() { return sharedHistory_ ? &*sharedHistory_ : nullptr; }
    // Where the History window reads: this computer's folder and, while shared, the others'.
    HistoryPlaces historyPlaces() const {
        return sharedHistory_ ? sharedHistory_->Places()
                              : HistoryPlaces{historyFolder_, {}, {}, {}};
    }
    // Today's time and its limit; null where no history is kept.
    const TodayUse* todayUse() const { return todayUse_ ? &*todayUse_ : nullptr; }
    DailyMouseLimit* dailyMouseLimit() { return dailyLimit_ ? &*dailyLimit_ : nullptr; }

  private:
    // The local files, telling the copy into the shared folder when they grew.
    class CopiedFiles final : public HistoryFiles {
      public:
        CopiedFiles(HistoryFiles& files, SharedHistory* shared) : files_(files), shared_(shared) {}
        std::size_t Append(const HistoryMonth& month, std::string_view lines) override;
        bool Read(const HistoryMonth& month, std::string& text) override {
            return files_.Read(month, text);
        }
        std::vector<HistoryMonth> ListMonths() override { return files_.ListMonths(); }

      private:
        HistoryFiles& files_;
        SharedHistory* shared_;
    };

    // The history's parts are there before the controller starts calling them and stay until
    // it is gone, so they come first and go last.
    std::optional<SharedHistory> sharedHistory_;  // needs the controller's notice
    std::optional<CopiedFiles> historyFiles_;
    std::optional<HistoryWriter> historyWriter_;
    std::optional<HistoryRecorder> historyRecorder_;
    std::optional<TodayUse> todayUse_;
    std::optional<DailyMouseLimit> dailyLimit_;
    MonitorController controller_;
    std::filesystem::path historyFolder_;
    bool keepsHistory_ = false;
};

}  // namespace tavrel
