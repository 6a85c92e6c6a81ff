// SPDX-License-Identifier: GPL-3.0-or-later
// Low-level mouse and keyboard events as the messages that the counting rules take.
#include "tavrel/low_level_input_translation.h"

namespace tavrel::hooks {
namespace {

// Buttons in the numbering of the double-click rule.
constexpr std::uint8_t kLeft = 1, kMiddle = 2, kRight = 3;
constexpr std::uint8_t kFirstExtra = 8;  // the extra buttons 1 and 2 are 8 and 9

std::uint8_t ExtraButton(std::uint32_t which) {
    return static_cast<std::uint8_t>(kFirstExtra - 1 + (which & 0xFF));
}

}  // namespace

void LowLevelInputTranslator::StartAt(ScreenPoint at) {
    __atomic_store_n(&pointer_.lastX, at.x, __ATOMIC_RELAXED);
    __atomic_store_n(&pointer_.lastY, at.y, __ATOMIC_RELAXED);
}

void LowLevelInputTranslator::Mouse(const LowLevelMouseEvent& event) {
    namespace mm = mouse_message;
    switch (event.message) {
        case mm::Move:
            CountMouseMessage(block_, pointer_, 0, mm::Move, &event.at);
            break;
        case mm::LeftDown:
            return Press(kLeft, mm::LeftDown, event);
        case mm::MiddleDown:
            return Press(kMiddle, mm::MiddleDown, event);
        case mm::RightDown:
            return Press(kRight, mm::RightDown, event);
        case mm::LeftUp:
            return Release(kLeft, mm::LeftUp);
        case mm::MiddleUp:
            return Release(kMiddle, mm::MiddleUp);
        case mm::RightUp:
            return Release(kRight, mm::RightUp);
        // The extra buttons count nothing, as their messages lie outside the counted range,
        // but a press of one breaks a pair of presses of another button.
        case low_level_message::ExtraButtonDown:
            buttons_.OnPress(ExtraButton(event.extraButton), event.timeMs, event.at.x, event.at.y);
            break;
        case low_level_message::ExtraButtonUp:
            buttons_.OnRelease(ExtraButton(event.extraButton));
            break;
        default:  // the wheels count nothing and leave every button alone
            break;
    }
}

void LowLevelInputTranslator::Press(std::uint8_t button, std::uint32_t down,
                                    const LowLevelMouseEvent& event) {
    const auto press = buttons_.OnPress(button, event.timeMs, event.at.x, event.at.y);
    if (press == DoubleClickRule::Press::Held) return;
    // The double-click message follows the button-down message by two in each button's trio.
    const std::uint32_t message = press == DoubleClickRule::Press::Second ? down + 2 : down;
    CountMouseMessage(block_, pointer_, 0, message, nullptr);
}

void LowLevelInputTranslator::Release(std::uint8_t button, std::uint32_t up) {
    buttons_.OnRelease(button);
    // Every release is a click, even one whose press came before counting began.
    CountMouseMessage(block_, pointer_, 0, up, nullptr);
}

void LowLevelInputTranslator::Key(std::uint8_t virtualKey, bool press) {
    CountKeyboardMessage(block_, 0, keys_.FlagsFor(virtualKey, press));
}

}  // namespace tavrel::hooks
