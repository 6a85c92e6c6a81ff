// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's input on Linux: the X RECORD extension reports every client's device events,
// which a thread of this source counts by the hooks' rules into a block of its own; the tick
// takes from that block as the Windows program takes from the hooks' shared block.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "tavrel/activity_source.h"
#include "tavrel/hooks_core.h"
#include "tavrel/x_input_translation.h"

struct _XDisplay;  // Xlib's Display, kept out of this header

namespace tavrel {

// Environment, read by Start:
//   DISPLAY                  the X server to record; without one nothing is counted.
//   WAYLAND_DISPLAY,
//   XDG_SESSION_TYPE=wayland a Wayland session: only X11 programs' input reaches X RECORD.
//   TAVREL_DISABLE_RECORD=1  behave as if the X server had no RECORD extension, so that a
//                            test can see what the user is told then.
class XRecordActivitySource final : public ActivitySource {
  public:
    // The desktop's double-click time and distance (the rectangle is +-distance pixels).
    explicit XRecordActivitySource(std::uint32_t doubleClickMs = 500,
                                   std::int32_t doubleClickDistance = 2);
    ~XRecordActivitySource();
    XRecordActivitySource(const XRecordActivitySource&) = delete;
    XRecordActivitySource& operator=(const XRecordActivitySource&) = delete;

    // Opens a control and a data connection and starts the recording thread; returns once
    // the server records (or after 2 s at most), so that input from then on is counted.
    // Starting a running source changes nothing.
    CaptureStatus Start() override;
    // Ends the recording from the control connection and joins the thread.
    void Stop() override;
    void Take(MDTAG& record) override;
    // Not counting once the data connection is lost; the thread has then ended.
    CaptureStatus Status() override;
    // The next event, or the end of the recording, posts one wake-up.
    bool ArmWake(WakeTarget& target) override;

  private:
    friend struct XRecordCallbacks;  // Xlib's callbacks, which take X types

    void Record();
    void SignalRecording();
    void CloseConnections();

    hooks::ActivityBlock block_{};
    WakeLatch wake_;
    hooks::XInputTranslator translator_;
    _XDisplay* control_ = nullptr;
    _XDisplay* data_ = nullptr;
    unsigned long context_ = 0;  // the RECORD context's id; 0 for none
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> dataLost_{false};  // the recording ended before Stop asked
    // Xlib reported the connection broken.
    std::atomic<bool> dataBroken_{false};
    std::atomic<bool> controlBroken_{false};
    // Set once the server has begun recording, or the attempt has ended.
    std::mutex recordingMutex_;
    std::condition_variable recordingBegun_;
    bool recordingSignalled_ = false;
    CaptureStatus started_;  // what Start found; set in the constructor
};

}  // namespace tavrel
