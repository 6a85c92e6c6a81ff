// SPDX-License-Identifier: GPL-3.0-or-later
// Turns the X server's device events (as X RECORD reports them) into the mouse and keystroke
// messages that the hook procedures count on Windows, so that one desktop gives the same
// figures on both platforms. Plain numbers in, counts into an ActivityBlock out: no X header,
// no heap, no lock; it runs on the capture thread while the tick's GetData takes from the
// same block.
#pragma once

#include <cstdint>

#include "tavrel/desktop_input_rules.h"
#include "tavrel/hooks_core.h"

namespace tavrel::hooks {

// Core event types in the X protocol's numbering (KeyPress..MotionNotify). Named apart from
// Xlib's macros of the same numbers, so that this header and <X11/X.h> mix in any order.
namespace x_event {
constexpr std::uint8_t KeyPressEvent = 2;
constexpr std::uint8_t KeyReleaseEvent = 3;
constexpr std::uint8_t ButtonPressEvent = 4;
constexpr std::uint8_t ButtonReleaseEvent = 5;
constexpr std::uint8_t MotionNotifyEvent = 6;
}  // namespace x_event

// One device event as plain numbers.
struct XDeviceEvent {
    std::uint8_t type;    // one of x_event
    std::uint8_t detail;  // keycode, or button number; nothing for motion
    std::int32_t rootX;   // pointer position on the root window
    std::int32_t rootY;
    std::uint32_t timeMs;  // X server time; wraps at 2^32
};

class XInputTranslator {
  public:
    explicit XInputTranslator(ActivityBlock& block, DoubleClickLimits limits = {})
        : block_(block), buttons_(limits) {}

    void Translate(const XDeviceEvent& event);

  private:
    void Press(const XDeviceEvent& event);
    void Release(const XDeviceEvent& event);
    void Key(std::uint8_t keycode, bool press);

    ActivityBlock& block_;
    // The whole desktop is one context for the last position: the first move is measured
    // from (0, 0), as in a process whose hook has not seen a move yet.
    ProcessState pointer_{};
    // Back and forward have no bit in the pointer state, so the buttons held are kept here.
    DoubleClickRule buttons_;
    KeyStateRule keys_;
};

}  // namespace tavrel::hooks
