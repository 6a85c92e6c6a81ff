// SPDX-License-Identifier: GPL-3.0-or-later
// Turns what Windows' low-level input hooks report (every mouse and keyboard event of the
// desktop, before any window takes it) into the mouse and keystroke messages that the
// counting rules take, with the whole desktop as one context: one last position, one set of
// keys down, one double-click rule. Plain numbers in, counts into an ActivityBlock out: no
// window-system header, no heap, no lock.
#pragma once

#include <cstdint>

#include "tavrel/desktop_input_rules.h"
#include "tavrel/hooks_core.h"

namespace tavrel::hooks {

// The low-level mouse messages beyond those the counting rules number; in Windows' numbering.
namespace low_level_message {
constexpr std::uint32_t Wheel = 0x020A;
constexpr std::uint32_t ExtraButtonDown = 0x020B;
constexpr std::uint32_t ExtraButtonUp = 0x020C;
constexpr std::uint32_t HorizontalWheel = 0x020E;
}  // namespace low_level_message

// One low-level mouse event as plain numbers.
struct LowLevelMouseEvent {
    std::uint32_t message;      // mouse_message or low_level_message
    std::uint32_t extraButton;  // 1 or 2 for the extra-button messages, else 0
    ScreenPoint at;             // where the event puts the pointer, in physical pixels
    std::uint32_t timeMs;       // the event's time stamp; wraps at 2^32
};

class LowLevelInputTranslator {
  public:
    explicit LowLevelInputTranslator(ActivityBlock& block, DoubleClickLimits limits = {})
        : block_(block), buttons_(limits) {}

    // Where the pointer is when counting starts: the first move is measured from there.
    void StartAt(ScreenPoint at);
    void SetDoubleClickLimits(DoubleClickLimits limits) { buttons_.SetLimits(limits); }

    void Mouse(const LowLevelMouseEvent& event);
    // One keystroke of a virtual key: a press (a first one or a repeat) or a release.
    void Key(std::uint8_t virtualKey, bool press);

  private:
    void Press(std::uint8_t button, std::uint32_t down, const LowLevelMouseEvent& event);
    void Release(std::uint8_t button, std::uint32_t up);

    ActivityBlock& block_;
    ProcessState pointer_{};
    DoubleClickRule buttons_;
    KeyStateRule keys_;
};

}  // namespace tavrel::hooks
