// SPDX-License-Identifier: GPL-3.0-or-later
// X device events as the Windows mouse and keystroke messages that the counting rules take.
#include "tavrel/x_input_translation.h"

namespace tavrel::hooks {
namespace {

// Buttons 4-7 are the wheel's four directions: X reports each notch as a press and a release.
// Windows sends the wheel as its own message outside the counted range, so they count
// nothing and leave every button state alone.
bool IsWheel(std::uint8_t button) {
    return button >= 4 && button <= 7;
}

// The button-down message of X buttons 1 (left), 2 (middle) and 3 (right); its release and
// double-click messages follow it. 0 for every other button.
//
// Buttons 8 and 9 (back and forward) and any higher ones count nothing: on Windows they
// arrive as the extra-button messages 0x020B-0x020D, which lie outside the range the hook
// counts, and the same desktop use should give the same figures on both platforms.
std::uint32_t DownMessage(std::uint8_t button) {
    switch (button) {
        case 1:
            return mouse_message::LeftDown;
        case 2:
            return mouse_message::MiddleDown;
        case 3:
            return mouse_message::RightDown;
        default:
            return 0;
    }
}
constexpr std::uint32_t kUpAfterDown = mouse_message::LeftUp - mouse_message::LeftDown;
constexpr std::uint32_t kDoubleClickAfterDown =
    mouse_message::LeftDoubleClick - mouse_message::LeftDown;

}  // namespace

void XInputTranslator::Translate(const XDeviceEvent& event) {
    switch (event.type) {
        case x_event::MotionNotifyEvent: {
            const ScreenPoint at{event.rootX, event.rootY};
            CountMouseMessage(block_, pointer_, 0, mouse_message::Move, &at);
            break;
        }
        case x_event::ButtonPressEvent:
            Press(event);
            break;
        case x_event::ButtonReleaseEvent:
            Release(event);
            break;
        case x_event::KeyPressEvent:
            Key(event.detail, true);
            break;
        case x_event::KeyReleaseEvent:
            Key(event.detail, false);
            break;
        default:
            break;
    }
}

void XInputTranslator::Press(const XDeviceEvent& event) {
    const std::uint8_t button = event.detail;
    if (IsWheel(button)) return;
    // Back and forward take part in the pairing: a press of either between two presses of
    // another button breaks the pair. The wheel does not.
    const auto press = buttons_.OnPress(button, event.timeMs, event.rootX, event.rootY);
    const std::uint32_t down = DownMessage(button);
    if (press == DoubleClickRule::Press::Held || down == 0) return;
    const bool second = press == DoubleClickRule::Press::Second;
    CountMouseMessage(block_, pointer_, 0, second ? down + kDoubleClickAfterDown : down, nullptr);
}

void XInputTranslator::Release(const XDeviceEvent& event) {
    const std::uint8_t button = event.detail;
    if (IsWheel(button)) return;
    buttons_.OnRelease(button);
    // Every release of a counted button is a click, as every button-up message is on Windows,
    // even one whose press came before counting began.
    const std::uint32_t down = DownMessage(button);
    if (down != 0) CountMouseMessage(block_, pointer_, 0, down + kUpAfterDown, nullptr);
}

void XInputTranslator::Key(std::uint8_t keycode, bool press) {
    // X repeats a held key as further presses and ends with one release; Windows flags the
    // repeats and the release as "previously down", and counts exactly those.
    CountKeyboardMessage(block_, 0, keys_.FlagsFor(keycode, press));
}

}  // namespace tavrel::hooks
