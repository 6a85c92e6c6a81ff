// SPDX-License-Identifier: GPL-3.0-or-later
// Where the tick's activity comes from: the hook library on Windows, X RECORD on Linux.
#pragma once

#include "TavrelHooks.h"
#include "tavrel/wake_latch.h"

namespace tavrel {

// Whether the source can see the desktop's input. Never silent zeros: a source that cannot
// count says so, and the window and the tray tip pass it on in plain words.
enum class CaptureHealth {
    Counting,        // every program's input is counted
    PartlyCounting,  // only some programs' input reaches the source (X11 programs on Wayland)
    NotCounting,     // nothing is counted
};

struct CaptureStatus {
    CaptureHealth health = CaptureHealth::Counting;
    // One plain sentence for the user when health is not Counting, or a note on what the
    // counts mean; empty otherwise. Static storage, owned by the source.
    const char* reason = "";
    // A few words for the tray tip (at most 44 characters), such as "not counting: another
    // session is in front"; empty: the tip says what the health alone says.
    const char* brief = "";
};

class ActivitySource {
  public:
    // Starts counting. The status says how well; a source that cannot count still starts.
    virtual CaptureStatus Start() = 0;
    virtual void Stop() = 0;
    // Copies out and zeroes what was counted since the previous call. Runs on every tick:
    // no allocation, no blocking.
    virtual void Take(MDTAG& record) = 0;
    // The current status; may change while running (a lost connection, for instance).
    virtual CaptureStatus Status() = 0;
    // Asks for one Wake on the target at the next input or change of status, so that the
    // program may stop its timer meanwhile. False when this source cannot (the program keeps
    // ticking), or when input is already waiting to be taken.
    virtual bool ArmWake(WakeTarget& /*target*/) { return false; }

  protected:
    ~ActivitySource() = default;
};

}  // namespace tavrel
