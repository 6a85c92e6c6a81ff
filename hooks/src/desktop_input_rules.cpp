// SPDX-License-Identifier: GPL-3.0-or-later
// The double-click and key-state rules of a desktop taken as one context.
#include "tavrel/desktop_input_rules.h"

#include "tavrel/hooks_core.h"

namespace tavrel::hooks {
namespace {

std::int64_t Distance(std::int32_t a, std::int32_t b) {
    const std::int64_t d = static_cast<std::int64_t>(a) - b;
    return d < 0 ? -d : d;
}

}  // namespace

bool DoubleClickRule::CompletesPair(std::uint8_t button, std::uint32_t timeMs, std::int32_t x,
                                    std::int32_t y) const {
    // Unsigned difference: right across the wrap of a 32-bit millisecond clock.
    return pending_ && button == firstButton_ &&
           static_cast<std::uint32_t>(timeMs - firstTimeMs_) <= limits_.timeMs &&
           Distance(x, firstX_) <= limits_.distanceX && Distance(y, firstY_) <= limits_.distanceY;
}

DoubleClickRule::Press DoubleClickRule::OnPress(std::uint8_t button, std::uint32_t timeMs,
                                                std::int32_t x, std::int32_t y) {
    // One pointer presses a button only once before releasing it; a press of a button
    // already held is no new press and must not pass for the second click of a pair.
    if (held_.Has(button)) return Press::Held;
    held_.Add(button);
    // Only consecutive presses pair up: a press of any other button between them breaks the
    // pair, and a third press starts a new one.
    const bool second = CompletesPair(button, timeMs, x, y);
    pending_ = !second;
    if (!second) {
        firstButton_ = button;
        firstTimeMs_ = timeMs;
        firstX_ = x;
        firstY_ = y;
    }
    return second ? Press::Second : Press::First;
}

std::uint32_t KeyStateRule::FlagsFor(std::uint8_t key, bool press) {
    if (!press) {
        down_.Remove(key);
        return PreviousKeyStateFlag;
    }
    const bool wasDown = down_.Has(key);
    down_.Add(key);
    return wasDown ? PreviousKeyStateFlag : 0;
}

}  // namespace tavrel::hooks
