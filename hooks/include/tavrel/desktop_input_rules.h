// SPDX-License-Identifier: GPL-3.0-or-later
// What the window system decides for itself when it turns device input into the messages a
// window receives, for captures that see the devices' input rather than those messages: the
// X RECORD capture on Linux and the low-level capture on Windows. Neither source says which
// press completes a double-click or which key press is a repeat; these rules decide it for
// the whole desktop as one context, whatever window the input went to. Plain numbers, no
// heap, no lock: they run on a capture thread, per event.
#pragma once

#include <cstdint>

namespace tavrel::hooks {

// When a second press of the same button makes a double-click: within timeMs of the first
// press, and inside the rectangle of +-distanceX by +-distanceY pixels around it. Windows'
// defaults; each desktop passes its own.
struct DoubleClickLimits {
    std::uint32_t timeMs = 500;
    std::int32_t distanceX = 2;
    std::int32_t distanceY = 2;
};

// 256 flags, one per keycode, virtual key or button number.
class FlagSet256 {
  public:
    bool Has(std::uint8_t n) const { return (words_[n >> 6] >> (n & 63)) & 1u; }
    void Add(std::uint8_t n) { words_[n >> 6] |= std::uint64_t{1} << (n & 63); }
    void Remove(std::uint8_t n) { words_[n >> 6] &= ~(std::uint64_t{1} << (n & 63)); }

  private:
    std::uint64_t words_[4] = {};
};

// Buttons numbered as X numbers them: 1 left, 2 middle, 3 right, 8 and 9 back and forward.
// Every button takes part in the pairing, counted or not.
class DoubleClickRule {
  public:
    enum class Press : std::uint8_t {
        Held,    // the button was already down: no new press
        First,   // a press that a second one may complete
        Second,  // the press that completes a double-click
    };

    explicit DoubleClickRule(DoubleClickLimits limits = {}) : limits_(limits) {}
    // The desktop's setting may change while counting.
    void SetLimits(DoubleClickLimits limits) { limits_ = limits; }

    Press OnPress(std::uint8_t button, std::uint32_t timeMs, std::int32_t x, std::int32_t y);
    void OnRelease(std::uint8_t button) { held_.Remove(button); }

  private:
    bool CompletesPair(std::uint8_t button, std::uint32_t timeMs, std::int32_t x,
                       std::int32_t y) const;

    DoubleClickLimits limits_;
    FlagSet256 held_;
    // The press that a second one may turn into a double-click.
    bool pending_ = false;
    std::uint8_t firstButton_ = 0;
    std::uint32_t firstTimeMs_ = 0;
    std::int32_t firstX_ = 0;
    std::int32_t firstY_ = 0;
};

// The previous-key-state flag that the window system puts on a keystroke message, from the
// set of keys down: set on a repeat (a press of a key already down) and on every release,
// clear on a first press. A tap therefore counts 1, a key held through n repeats n + 1.
class KeyStateRule {
  public:
    std::uint32_t FlagsFor(std::uint8_t key, bool press);

  private:
    FlagSet256 down_;
};

}  // namespace tavrel::hooks
