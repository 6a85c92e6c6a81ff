// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/tavrel_core.h"

namespace tavrel {

std::size_t TavrelCore::CopiedFiles::Append(const HistoryMonth& month, std::string_view lines) {
    const std::size_t written = files_.Append(month, lines);
    if (written > 0 && shared_ != nullptr) shared_->LocalFilesGrew();
    return written;
}

TavrelCore::TavrelCore(const CoreRoles& roles)
    : controller_(roles.monitor), historyFolder_(roles.historyFolder) {
    if (roles.historyFiles == nullptr) return;
    if (!roles.historyFolder.empty()) {
        sharedHistory_.emplace(roles.monitor.store, controller_.notice(), roles.historyFolder,
                               roles.hostName, roles.monitor.wake, roles.monitor.log);
    }
    historyFiles_.emplace(*roles.historyFiles, sharedHistory());
    historyWriter_.emplace(*historyFiles_);
    // Its failures share the box of every other writer.
    historyRecorder_.emplace(roles.monitor.clock, *historyWriter_, controller_.notice());
    historyRecorder_->SetLog(roles.monitor.log);
    keepsHistory_ = controller_.AddListener(*historyRecorder_);
    // After the recorder: at the end of the session the last minute is written first.
    if (sharedHistory_) controller_.AddListener(*sharedHistory_);
    if (!keepsHistory_) return;
    todayUse_.emplace(*historyRecorder_, *roles.historyFiles, sharedHistory());
    dailyLimit_.emplace(roles.monitor.store, controller_.alarmPreferences(), roles.monitor.quiet,
                        roles.notifier);
    todayUse_->OnChange([this] {
        controller_.SetTodayUse(todayUse_->text());
        dailyLimit_->Check(todayUse_->day(), todayUse_->mouseMinutes());
    });
    controller_.AddListener(*todayUse_);
}

}  // namespace tavrel
