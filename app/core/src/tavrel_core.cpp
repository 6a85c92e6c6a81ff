#include "tavrel/tavrel_core.h"

namespace tavrel {

TavrelCore::TavrelCore(const CoreRoles& roles) : controller_(roles.monitor) {
    if (roles.historyFiles == nullptr) return;
    historyWriter_.emplace(*roles.historyFiles);
    // Its failures share the box of every other writer.
    historyRecorder_.emplace(roles.monitor.clock, *historyWriter_, controller_.notice());
    historyRecorder_->SetLog(roles.monitor.log);
    keepsHistory_ = controller_.AddListener(*historyRecorder_);
}

}  // namespace tavrel
