// SPDX-License-Identifier: GPL-3.0-or-later
// The activity source of the Windows program: the hook library, loaded once more by file
// name for as long as it counts.
#pragma once

#include "handles_win32.h"
#include "tavrel/activity_source.h"

namespace tavrel::win32 {

class HookActivitySource final : public ActivitySource {
  public:
    CaptureStatus Start() override;
    void Stop() override;
    void Take(MDTAG& record) override;
    CaptureStatus Status() override { return status_; }

  private:
    LoadedModule library_;
    CaptureStatus status_;
    bool started_ = false;
};

}  // namespace tavrel::win32
