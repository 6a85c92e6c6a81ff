// SPDX-License-Identifier: GPL-3.0-or-later
// X device events counted as Windows would count the same input.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "expect_recorded.h"
#include "tavrel/x_input_translation.h"

namespace tavrel::hooks {
namespace {

namespace xe = x_event;

XDeviceEvent Press(std::uint8_t button, std::uint32_t t = 0, std::int32_t x = 100,
                   std::int32_t y = 100) {
    return {xe::ButtonPressEvent, button, x, y, t};
}
XDeviceEvent Release(std::uint8_t button, std::uint32_t t = 0) {
    return {xe::ButtonReleaseEvent, button, 100, 100, t};
}
XDeviceEvent Motion(std::int32_t x, std::int32_t y) {
    return {xe::MotionNotifyEvent, 0, x, y, 0};
}
XDeviceEvent KeyDown(std::uint8_t keycode) {
    return {xe::KeyPressEvent, keycode, 0, 0, 0};
}
XDeviceEvent KeyUp(std::uint8_t keycode) {
    return {xe::KeyReleaseEvent, keycode, 0, 0, 0};
}

struct Case {
    const char* name;
    std::vector<XDeviceEvent> events;
    MDTAG expected;
    std::int32_t buttonDownAfter;
};

// Translates the events of each case with a fresh translator and compares the record.
void RunCases(const std::vector<Case>& cases, DoubleClickLimits limits = {}) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ActivityBlock block{};
        XInputTranslator translator(block, limits);
        for (const XDeviceEvent& e : c.events) translator.Translate(e);
        ExpectRecorded(block, c.expected, c.buttonDownAfter);
    }
}

TEST(XInputTranslationTest, EachEventKindCountsAsItsWindowsMessage) {
    RunCases({
        {"first move from the origin", {Motion(300, 400)}, {500, 0, 0, 0, 0}, 0},
        {"moves add up", {Motion(3, 4), Motion(6, 8), Motion(6, 8)}, {10, 0, 0, 0, 0}, 0},
        {"left press holds", {Press(1)}, {0, 0, 0, 0, 0}, 1},
        {"left click", {Press(1), Release(1)}, {0, 0, 1, 0, 0}, 0},
        {"middle click", {Press(2), Release(2)}, {0, 0, 1, 0, 0}, 0},
        {"right click", {Press(3), Release(3)}, {0, 0, 1, 0, 0}, 0},
        {"release without press, as a hook installed mid-click sees it",
         {Release(1)},
         {0, 0, 1, 0, 0},
         0},
        {"button events leave the position alone",
         {Motion(3, 4), Press(1, 0, 900, 900), Release(1), Motion(6, 8)},
         {10, 0, 1, 0, 0},
         0},
        {"unknown event types count nothing",
         {{0, 1, 50, 50, 0}, {7, 1, 50, 50, 0}, {12, 1, 50, 50, 0}, {0x82, 1, 50, 50, 0}},
         {0, 0, 0, 0, 0},
         0},
    });
}

TEST(XInputTranslationTest, MovesWithAButtonDownAreDrags) {
    RunCases({
        {"drag", {Motion(6, 8), Press(1), Motion(9, 12), Release(1)}, {10, 5, 1, 0, 0}, 0},
        {"right drag then move",
         {Press(3), Motion(3, 4), Release(3), Motion(6, 8)},
         {5, 5, 1, 0, 0},
         0},
        // One flag for all buttons, as on Windows: the first release ends the drag.
        {"two buttons, one released",
         {Press(1), Press(3), Release(3), Motion(3, 4)},
         {5, 0, 1, 0, 0},
         0},
        {"back and forward do not end a drag",
         {Press(1), Press(8), Release(8), Press(9), Release(9), Motion(3, 4)},
         {0, 5, 0, 0, 0},
         1},
    });
}

TEST(XInputTranslationTest, SecondPressOfTheSameButtonInTimeAndPlaceIsADoubleClick) {
    constexpr std::uint32_t t0 = 1000;
    RunCases({
        {"double-click",
         {Press(1, t0), Release(1), Press(1, t0 + 120), Release(1)},
         {0, 0, 0, 1, 0},
         0},
        {"at the limits: 500 ms, 2 px each way",
         {Press(3, t0, 100, 100), Release(3), Press(3, t0 + 500, 102, 98), Release(3)},
         {0, 0, 0, 1, 0},
         0},
        {"double-click ends the drag flag while the button is still down",
         {Press(2, t0), Release(2), Press(2, t0 + 10)},
         {0, 0, -1, 1, 0},
         0},
        {"too slow",
         {Press(1, t0), Release(1), Press(1, t0 + 501), Release(1)},
         {0, 0, 2, 0, 0},
         0},
        {"too far right",
         {Press(1, t0, 100, 100), Release(1), Press(1, t0 + 10, 103, 100), Release(1)},
         {0, 0, 2, 0, 0},
         0},
        {"too far up",
         {Press(1, t0, 100, 100), Release(1), Press(1, t0 + 10, 100, 97), Release(1)},
         {0, 0, 2, 0, 0},
         0},
        {"different button",
         {Press(1, t0), Release(1), Press(3, t0 + 10), Release(3)},
         {0, 0, 2, 0, 0},
         0},
        {"third press starts anew",
         {Press(1, t0), Release(1), Press(1, t0 + 10), Release(1), Press(1, t0 + 20), Release(1)},
         {0, 0, 1, 1, 0},
         0},
        {"fourth press completes the second pair",
         {Press(1, t0), Release(1), Press(1, t0 + 10), Release(1), Press(1, t0 + 20), Release(1),
          Press(1, t0 + 30), Release(1)},
         {0, 0, 0, 2, 0},
         0},
        {"across the wrap of the server clock",
         {Press(1, 0xFFFFFF00u), Release(1), Press(1, 0x00000050u), Release(1)},
         {0, 0, 0, 1, 0},
         0},
        {"an earlier time is not within the limit",
         {Press(1, t0), Release(1), Press(1, t0 - 1), Release(1)},
         {0, 0, 2, 0, 0},
         0},
        {"a back click between breaks the pair",
         {Press(1, t0), Release(1), Press(8, t0 + 5), Release(8), Press(1, t0 + 10), Release(1)},
         {0, 0, 2, 0, 0},
         0},
        {"the wheel between does not",
         {Press(1, t0), Release(1), Press(5, t0 + 5), Release(5), Press(1, t0 + 10), Release(1)},
         {0, 0, 0, 1, 0},
         0},
        {"a repeated press of a held button is no second click",
         {Press(1, t0), Press(1, t0 + 10), Release(1)},
         {0, 0, 1, 0, 0},
         0},
    });
}

TEST(XInputTranslationTest, DoubleClickLimitsComeFromTheDesktop) {
    constexpr std::uint32_t t0 = 70;
    const DoubleClickLimits qtOnXvfb{400, 5, 5};
    RunCases(
        {
            {"450 ms is too slow",
             {Press(1, t0), Release(1), Press(1, t0 + 450), Release(1)},
             {0, 0, 2, 0, 0},
             0},
            {"5 px is near enough",
             {Press(1, t0, 10, 10), Release(1), Press(1, t0 + 400, 15, 5), Release(1)},
             {0, 0, 0, 1, 0},
             0},
        },
        qtOnXvfb);
}

TEST(XInputTranslationTest, WheelAndExtraButtonsCountNothing) {
    std::vector<XDeviceEvent> events;
    for (std::uint8_t button : {4, 5, 6, 7, 8, 9, 10, 0}) {
        events.push_back(Press(button));
        events.push_back(Release(button));
    }
    std::vector<XDeviceEvent> whileHeld{Press(1)};
    whileHeld.insert(whileHeld.end(), events.begin(), events.end());
    RunCases({
        {"alone", events, {0, 0, 0, 0, 0}, 0},
        {"the wheel leaves a held button held", whileHeld, {0, 0, 0, 0, 0}, 1},
    });
}

TEST(XInputTranslationTest, KeysCountRepeatsAndReleases) {
    constexpr std::uint8_t a = 38, b = 56;
    RunCases({
        {"tap", {KeyDown(a), KeyUp(a)}, {0, 0, 0, 0, 1}, 0},
        {"first press alone", {KeyDown(a)}, {0, 0, 0, 0, 0}, 0},
        {"held through 3 repeats",
         {KeyDown(a), KeyDown(a), KeyDown(a), KeyDown(a), KeyUp(a)},
         {0, 0, 0, 0, 4},
         0},
        {"two keys interleaved", {KeyDown(a), KeyDown(b), KeyUp(a), KeyUp(b)}, {0, 0, 0, 0, 2}, 0},
        {"second key repeats while the first is held",
         {KeyDown(a), KeyDown(a), KeyDown(b), KeyDown(b), KeyUp(b), KeyUp(a)},
         {0, 0, 0, 0, 4},
         0},
        {"a released key starts again", {KeyDown(a), KeyUp(a), KeyDown(a)}, {0, 0, 0, 0, 1}, 0},
        {"lowest and highest keycodes",
         {KeyDown(0), KeyDown(0), KeyDown(255), KeyDown(255), KeyDown(63), KeyDown(64)},
         {0, 0, 0, 0, 2},
         0},
        {"release of a key pressed before counting began", {KeyUp(b)}, {0, 0, 0, 0, 1}, 0},
    });
}

}  // namespace
}  // namespace tavrel::hooks
