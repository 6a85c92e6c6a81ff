// SPDX-License-Identifier: GPL-3.0-or-later
// The counting rules of the two hook procedures.
#include "shared_atomic.h"
#include "tavrel/hooks_core.h"

namespace tavrel::hooks {
namespace {

// Straight-line distance from the last position this process saw; the square root is an
// instruction here (built without errno for maths), never a library call.
double DistanceFromLast(const ProcessState& process, const ScreenPoint& to) {
    // Differences in double: 32-bit coordinates far apart must not overflow.
    const double dx = static_cast<double>(__atomic_load_n(&process.lastX, __ATOMIC_RELAXED)) -
                      static_cast<double>(to.x);
    const double dy = static_cast<double>(__atomic_load_n(&process.lastY, __ATOMIC_RELAXED)) -
                      static_cast<double>(to.y);
    return __builtin_sqrt(dx * dx + dy * dy);
}

void CountMove(ActivityBlock& block, ProcessState& process, const ScreenPoint& to) {
    const double distance = DistanceFromLast(process, to);
    const bool dragging = shared::Load(&block.buttonDown) != 0;
    shared::AddToDistance(&block.activity.moveDistance, dragging, distance);
    __atomic_store_n(&process.lastX, to.x, __ATOMIC_RELAXED);
    __atomic_store_n(&process.lastY, to.y, __ATOMIC_RELAXED);
}

}  // namespace

void CountMouseMessage(ActivityBlock& block, ProcessState& process, std::int32_t code,
                       std::uint32_t message, const ScreenPoint* position) {
    if (code < 0 || message < mouse_message::First || message > mouse_message::Last) return;
    switch (message) {
        case mouse_message::Move:
            // A move without a position cannot be measured; it changes nothing.
            if (position != nullptr) CountMove(block, process, *position);
            break;
        case mouse_message::LeftDown:
        case mouse_message::RightDown:
        case mouse_message::MiddleDown:
            shared::Store(&block.buttonDown, 1);
            break;
        case mouse_message::LeftUp:
        case mouse_message::RightUp:
        case mouse_message::MiddleUp:
            shared::AddPair(&block.activity.clicks, 1, 0);
            shared::Store(&block.buttonDown, 0);
            break;
        default:  // the three double-click messages
            // The release before it already counted a click; the press-release pair around
            // the double-click counts as one double-click and no click.
            shared::AddPair(&block.activity.clicks, -2, 1);
            shared::Store(&block.buttonDown, 0);
            break;
    }
}

void CountKeyboardMessage(ActivityBlock& block, std::int32_t code, std::uint32_t keystrokeFlags) {
    // Repeats and releases carry the flag, first presses do not: a tap counts once.
    if (code >= 0 && (keystrokeFlags & PreviousKeyStateFlag) != 0) {
        shared::Add(&block.activity.keys, 1);
    }
}

}  // namespace tavrel::hooks
