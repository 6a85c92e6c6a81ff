// SPDX-License-Identifier: GPL-3.0-or-later
// The activity source of the 64-bit program: the desktop's low-level mouse and keyboard
// hooks, run on a thread of their own inside this process. Nothing is loaded into any other
// process, and no program's input waits on the program's window thread.
//
// Low-level hooks rather than raw input: each mouse event comes with the point it puts the
// pointer at, in physical pixels, so the path is the pointer's own and needs no second look
// at the cursor (raw input gives device deltas before the pointer's acceleration, and a
// cursor position read afterwards can already be that of a later event). They also report
// input that other programs inject, and need no window.
#pragma once

#include <windows.h>

#include <atomic>

#include "handles_win32.h"
#include "tavrel/activity_source.h"
#include "tavrel/hooks_core.h"
#include "tavrel/low_level_input_translation.h"

namespace tavrel::win32 {

class LowLevelCapture final : public ActivitySource {
  public:
    LowLevelCapture();
    ~LowLevelCapture() { Stop(); }
    LowLevelCapture(const LowLevelCapture&) = delete;
    LowLevelCapture& operator=(const LowLevelCapture&) = delete;

    CaptureStatus Start() override;
    void Stop() override;
    void Take(MDTAG& record) override;
    CaptureStatus Status() override { return status_; }
    // The next input posts one wake-up, so that a hidden, idle window may stop its timer.
    bool ArmWake(WakeTarget& target) override;

  private:
    static DWORD WINAPI ThreadMain(LPVOID self);
    static LRESULT CALLBACK MouseProc(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam);
    void Run();
    void OnMouse(UINT message, const MSLLHOOKSTRUCT& info);
    void OnKey(const KBDLLHOOKSTRUCT& info);
    hooks::ScreenPoint OnScreen(POINT point);

    // The hook procedures reach the one capture of the process through this; set and read
    // on the capture thread only.
    static LowLevelCapture* running_;

    hooks::ActivityBlock block_{};
    hooks::LowLevelInputTranslator translator_;
    // The monitor the pointer was last on: a point outside it is looked up afresh.
    RECT monitor_{};
    OwnedHandle thread_;
    OwnedHandle ready_;
    DWORD threadId_ = 0;
    std::atomic<bool> installed_{false};
    WakeLatch wake_;
    CaptureStatus status_;
};

}  // namespace tavrel::win32
