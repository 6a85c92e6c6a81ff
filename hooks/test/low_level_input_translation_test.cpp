// SPDX-License-Identifier: GPL-3.0-or-later
// Low-level mouse and keyboard events counted as one desktop-wide context.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "expect_recorded.h"
#include "tavrel/low_level_input_translation.h"

namespace tavrel::hooks {
namespace {

namespace mm = mouse_message;
namespace ll = low_level_message;

struct Event {
    bool key;
    LowLevelMouseEvent mouse;
    std::uint8_t virtualKey;
    bool press;
};

Event Mouse(std::uint32_t message, std::uint32_t t = 0, std::int32_t x = 100,
            std::int32_t y = 100) {
    return {false, {message, 0, {x, y}, t}, 0, false};
}
Event Extra(std::uint32_t message, std::uint32_t which, std::uint32_t t) {
    return {false, {message, which, {100, 100}, t}, 0, false};
}
Event Move(std::int32_t x, std::int32_t y) {
    return Mouse(mm::Move, 0, x, y);
}
Event KeyDown(std::uint8_t vk) {
    return {true, {}, vk, true};
}
Event KeyUp(std::uint8_t vk) {
    return {true, {}, vk, false};
}

struct Case {
    const char* name;
    std::vector<Event> events;
    MDTAG expected;
    std::int32_t buttonDownAfter;
};

constexpr std::uint32_t t0 = 1000;
constexpr ScreenPoint kStart{100, 100};

void RunCases(const std::vector<Case>& cases, DoubleClickLimits limits = {}) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ActivityBlock block{};
        LowLevelInputTranslator translator(block, limits);
        translator.StartAt(kStart);
        for (const Event& e : c.events) {
            if (e.key) {
                translator.Key(e.virtualKey, e.press);
            } else {
                translator.Mouse(e.mouse);
            }
        }
        ExpectRecorded(block, c.expected, c.buttonDownAfter);
    }
}

TEST(LowLevelInputTranslationTest, OneContextForTheWholeDesktop) {
    RunCases({
        {"the first move is measured from where the pointer was at the start",
         {Move(103, 104)},
         {5, 0, 0, 0, 0},
         0},
        {"a path back and forth is its whole length",
         {Move(400, 100), Move(100, 100), Move(400, 100)},
         {900, 0, 0, 0, 0},
         0},
        {"a drag between press and release",
         {Mouse(mm::LeftDown), Move(103, 104), Mouse(mm::LeftUp), Move(106, 108)},
         {5, 5, 1, 0, 0},
         0},
        {"each release once",
         {Mouse(mm::LeftDown), Mouse(mm::LeftUp), Mouse(mm::RightDown, 900),
          Mouse(mm::RightUp, 900), Mouse(mm::MiddleDown, 2000), Mouse(mm::MiddleUp, 2000)},
         {0, 0, 3, 0, 0},
         0},
        {"a release whose press came before the start", {Mouse(mm::LeftUp)}, {0, 0, 1, 0, 0}, 0},
    });
}

TEST(LowLevelInputTranslationTest, DoubleClicksByTheDesktopsRule) {
    RunCases({
        {"two presses in time and place",
         {Mouse(mm::LeftDown, t0), Mouse(mm::LeftUp, t0 + 40), Mouse(mm::LeftDown, t0 + 80),
          Mouse(mm::LeftUp, t0 + 120)},
         {0, 0, 0, 1, 0},
         0},
        {"the right button",
         {Mouse(mm::RightDown, t0), Mouse(mm::RightUp, t0), Mouse(mm::RightDown, t0 + 80),
          Mouse(mm::RightUp, t0 + 80)},
         {0, 0, 0, 1, 0},
         0},
        {"too slow",
         {Mouse(mm::LeftDown, t0), Mouse(mm::LeftUp, t0), Mouse(mm::LeftDown, t0 + 501),
          Mouse(mm::LeftUp, t0 + 501)},
         {0, 0, 2, 0, 0},
         0},
        {"too far",
         {Mouse(mm::LeftDown, t0, 100, 100), Mouse(mm::LeftUp, t0),
          Mouse(mm::LeftDown, t0 + 80, 103, 100), Mouse(mm::LeftUp, t0 + 80)},
         {0, 0, 2, 0, 0},
         0},
        {"across the wrap of the clock",
         {Mouse(mm::LeftDown, 0xFFFFFFF0u), Mouse(mm::LeftUp, 0xFFFFFFF0u),
          Mouse(mm::LeftDown, 0x20), Mouse(mm::LeftUp, 0x20)},
         {0, 0, 0, 1, 0},
         0},
        {"another button between breaks the pair",
         {Mouse(mm::LeftDown, t0), Mouse(mm::LeftUp, t0), Mouse(mm::RightDown, t0 + 20),
          Mouse(mm::RightUp, t0 + 20), Mouse(mm::LeftDown, t0 + 40), Mouse(mm::LeftUp, t0 + 40)},
         {0, 0, 3, 0, 0},
         0},
        {"an extra button between breaks it and counts nothing",
         {Mouse(mm::LeftDown, t0), Mouse(mm::LeftUp, t0), Extra(ll::ExtraButtonDown, 1, t0 + 20),
          Extra(ll::ExtraButtonUp, 1, t0 + 20), Mouse(mm::LeftDown, t0 + 40),
          Mouse(mm::LeftUp, t0 + 40)},
         {0, 0, 2, 0, 0},
         0},
        {"the wheel between does not",
         {Mouse(mm::LeftDown, t0), Mouse(mm::LeftUp, t0), Mouse(ll::Wheel, t0 + 10),
          Mouse(ll::HorizontalWheel, t0 + 20), Mouse(mm::LeftDown, t0 + 40),
          Mouse(mm::LeftUp, t0 + 40)},
         {0, 0, 0, 1, 0},
         0},
        {"a third press starts a new pair",
         {Mouse(mm::LeftDown, t0), Mouse(mm::LeftUp, t0), Mouse(mm::LeftDown, t0 + 40),
          Mouse(mm::LeftUp, t0 + 40), Mouse(mm::LeftDown, t0 + 80), Mouse(mm::LeftUp, t0 + 80)},
         {0, 0, 1, 1, 0},
         0},
        {"a second press of a held button is no press",
         {Mouse(mm::LeftDown, t0), Mouse(mm::LeftDown, t0 + 10), Mouse(mm::LeftUp, t0 + 20)},
         {0, 0, 1, 0, 0},
         0},
    });
}

TEST(LowLevelInputTranslationTest, DoubleClickRectangleHasTheDesktopsWidthAndHeight) {
    const DoubleClickLimits wide{300, 6, 1};
    RunCases(
        {
            {"6 px across is near enough",
             {Mouse(mm::LeftDown, t0, 100, 100), Mouse(mm::LeftUp, t0),
              Mouse(mm::LeftDown, t0 + 300, 94, 101), Mouse(mm::LeftUp, t0 + 300)},
             {0, 0, 0, 1, 0},
             0},
            {"2 px down is not",
             {Mouse(mm::LeftDown, t0, 100, 100), Mouse(mm::LeftUp, t0),
              Mouse(mm::LeftDown, t0 + 100, 100, 102), Mouse(mm::LeftUp, t0 + 100)},
             {0, 0, 2, 0, 0},
             0},
        },
        wide);
}

TEST(LowLevelInputTranslationTest, KeysByTheSetOfKeysDown) {
    constexpr std::uint8_t a = 0x41, shift = 0x10;
    RunCases({
        {"tap", {KeyDown(a), KeyUp(a)}, {0, 0, 0, 0, 1}, 0},
        {"first press alone", {KeyDown(a)}, {0, 0, 0, 0, 0}, 0},
        {"held through 5 repeats",
         {KeyDown(a), KeyDown(a), KeyDown(a), KeyDown(a), KeyDown(a), KeyDown(a), KeyUp(a)},
         {0, 0, 0, 0, 6},
         0},
        {"two keys overlapping",
         {KeyDown(shift), KeyDown(a), KeyUp(a), KeyUp(shift)},
         {0, 0, 0, 0, 2},
         0},
        {"pressed again after its release is a first press",
         {KeyDown(a), KeyUp(a), KeyDown(a), KeyUp(a)},
         {0, 0, 0, 0, 2},
         0},
    });
}

}  // namespace
}  // namespace tavrel::hooks
