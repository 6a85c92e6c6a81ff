// SPDX-License-Identifier: GPL-3.0-or-later
#include "hook_activity_source.h"

#include "TavrelHooks.h"

namespace tavrel::win32 {

CaptureStatus HookActivitySource::Start() {
    library_.load("TavrelHooks.dll");
    started_ = true;
    if (::InitHooks() == 0) {
        status_ = {CaptureHealth::NotCounting,
                   "Tavrel is not counting: Windows refused its input hooks."};
    }
    return status_;
}

void HookActivitySource::Stop() {
    if (!started_) return;
    started_ = false;
    ::KillHooks();
    library_.reset();
}

void HookActivitySource::Take(MDTAG& record) {
    GetData(&record);
}

}  // namespace tavrel::win32
