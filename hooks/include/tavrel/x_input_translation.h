// Turns the X server's device events (as X RECORD reports them) into the mouse and keystroke
// messages that the hook procedures count on Windows, so that one desktop gives the same
// figures on both platforms. Plain numbers in, counts into an ActivityBlock out: no X header,
// no heap, no lock; it runs on the capture thread while the tick's GetData takes from the
// same block.
#pragma once

#include <cstdint>

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

// When a second press of the same button makes a double-click: within timeMs of the first
// press, and inside the rectangle of +-distance pixels around it. Windows' defaults.
struct DoubleClickLimits {
    std::uint32_t timeMs = 500;
    std::int32_t distance = 2;
};

// 256 flags, one per keycode or button number.
class FlagSet256 {
  public:
    bool Has(std::uint8_t n) const { return (words_[n >> 6] >> (n & 63)) & 1u; }
    void Add(std::uint8_t n) { words_[n >> 6] |= std::uint64_t{1} << (n & 63); }
    void Remove(std::uint8_t n) { words_[n >> 6] &= ~(std::uint64_t{1} << (n & 63)); }

  private:
    std::uint64_t words_[4] = {};
};

class XInputTranslator {
  public:
    explicit XInputTranslator(ActivityBlock& block, DoubleClickLimits limits = {})
        : block_(block), limits_(limits) {}

    void Translate(const XDeviceEvent& event);

  private:
    void Press(const XDeviceEvent& event);
    void Release(const XDeviceEvent& event);
    void Key(std::uint8_t keycode, bool press);
    bool CompletesDoubleClick(const XDeviceEvent& press) const;

    ActivityBlock& block_;
    const DoubleClickLimits limits_;
    // The whole desktop is one context for the last position: the first move is measured
    // from (0, 0), as in a process whose hook has not seen a move yet.
    ProcessState pointer_{};
    FlagSet256 keysDown_;
    FlagSet256 buttonsDown_;
    // The press that a second one may turn into a double-click.
    bool pending_ = false;
    XDeviceEvent firstPress_{};
};

}  // namespace tavrel::hooks
