// SPDX-License-Identifier: GPL-3.0-or-later
// Kernel input events counted as the activity record's five fields.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "tavrel/evdev_translation.h"

namespace tavrel::hooks {
namespace {

using namespace evdev;

EvdevEvent Ev(std::uint16_t type, std::uint16_t code, std::int32_t value, std::uint32_t t = 0) {
    return {t, type, code, value};
}
EvdevEvent Syn() {
    return Ev(EvSyn, SynReport, 0);
}
EvdevEvent Dropped() {
    return Ev(EvSyn, SynDropped, 0);
}
EvdevEvent Key(std::uint16_t code, std::int32_t value) {
    return Ev(EvKey, code, value);
}
EvdevEvent Btn(std::uint16_t code, std::int32_t value, std::uint32_t t = 0) {
    return Ev(EvKey, code, value, t);
}
EvdevEvent Rel(std::uint16_t code, std::int32_t value) {
    return Ev(EvRel, code, value);
}
EvdevEvent Abs(std::uint16_t code, std::int32_t value) {
    return Ev(EvAbs, code, value);
}

constexpr std::uint16_t KeyA = 30;
constexpr std::uint16_t KeyVolumeUp = 115;
constexpr std::uint16_t KeyFn = 0x1d0;
constexpr std::uint16_t BtnSide = 0x113;
constexpr std::uint16_t RelWheel = 0x08;
constexpr std::uint16_t RelHWheel = 0x06;
constexpr std::uint16_t RelWheelHiRes = 0x0b;
constexpr std::uint16_t BtnToolDoubleTap = 0x14d;

// A click of `button` at time t: press and release in two frames.
std::vector<EvdevEvent> Click(std::uint16_t button, std::uint32_t t) {
    return {Btn(button, KeyPress, t), Syn(), Btn(button, KeyRelease, t + 50), Syn()};
}

std::vector<EvdevEvent> Join(std::initializer_list<std::vector<EvdevEvent>> parts) {
    std::vector<EvdevEvent> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

EvdevDeviceInfo Mouse(double dpi = 0) {
    EvdevDeviceInfo info;
    info.relativeScale = RelativeScale(dpi);
    return info;
}
EvdevDeviceInfo Touchpad(std::int32_t unitsPerMm) {
    EvdevDeviceInfo info;
    info.absoluteScaleX = info.absoluteScaleY = AbsoluteScale(unitsPerMm);
    info.touchpad = true;
    return info;
}
EvdevDeviceInfo Tablet(std::int32_t unitsPerMm) {
    EvdevDeviceInfo info = Touchpad(unitsPerMm);
    info.touchpad = false;
    return info;
}

// The totals in counts.
struct Counted {
    double moveDistance, dragDistance;
    std::int64_t clicks, doubleClicks, keys;
};

struct Case {
    const char* name;
    EvdevDeviceInfo device;
    std::vector<EvdevEvent> events;
    Counted expected;
};

double Move(const EvdevTranslator& t) {
    return DistanceCounts(t.Totals().moveDistance);
}
double Drag(const EvdevTranslator& t) {
    return DistanceCounts(t.Totals().dragDistance);
}

void RunCases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EvdevTranslator translator;
        EvdevDevice device{c.device, {}};
        for (const EvdevEvent& e : c.events) translator.Translate(device, e);
        const EvdevTotals& t = translator.Totals();
        EXPECT_NEAR(Move(translator), c.expected.moveDistance, 1e-4);
        EXPECT_NEAR(Drag(translator), c.expected.dragDistance, 1e-4);
        EXPECT_EQ(t.clicks, c.expected.clicks);
        EXPECT_EQ(t.doubleClicks, c.expected.doubleClicks);
        EXPECT_EQ(t.keys, c.expected.keys);
    }
}

TEST(EvdevTranslationTest, KeysCountReleasesAndRepeatsNotFirstPresses) {
    const EvdevDeviceInfo kbd{};
    RunCases({
        {"a first press", kbd, {Key(KeyA, KeyPress), Syn()}, {0, 0, 0, 0, 0}},
        {"a tap", kbd, {Key(KeyA, KeyPress), Syn(), Key(KeyA, KeyRelease), Syn()}, {0, 0, 0, 0, 1}},
        {"held through 3 repeats",
         kbd,
         {Key(KeyA, KeyPress), Key(KeyA, KeyRepeat), Key(KeyA, KeyRepeat), Key(KeyA, KeyRepeat),
          Key(KeyA, KeyRelease)},
         {0, 0, 0, 0, 4}},
        {"a release whose press came before", kbd, {Key(KeyA, KeyRelease)}, {0, 0, 0, 0, 1}},
        {"media and high key codes are keys",
         kbd,
         {Key(KeyVolumeUp, KeyPress), Key(KeyVolumeUp, KeyRelease), Key(KeyFn, KeyPress),
          Key(KeyFn, KeyRelease)},
         {0, 0, 0, 0, 2}},
        {"touch and tool bits are no keys",
         kbd,
         {Key(BtnTouch, 1), Key(BtnTouch, 0), Key(BtnToolFinger, 0), Key(BtnToolPen, 0)},
         {0, 0, 0, 0, 0}},
    });
}

TEST(EvdevTranslationTest, ButtonsClickOnReleaseAndPairIntoDoubleClicks) {
    const EvdevDeviceInfo m = Mouse();
    RunCases({
        {"a press alone", m, {Btn(BtnLeft, KeyPress), Syn()}, {0, 0, 0, 0, 0}},
        {"left, right and middle clicks",
         m,
         Join({Click(BtnLeft, 0), Click(BtnRight, 1000), Click(BtnMiddle, 2000)}),
         {0, 0, 3, 0, 0}},
        {"a double-click inside 500 ms",
         m,
         Join({Click(BtnLeft, 0), Click(BtnLeft, 400)}),
         {0, 0, 0, 1, 0}},
        {"exactly at the interval",
         m,
         Join({Click(BtnLeft, 0), Click(BtnLeft, 500)}),
         {0, 0, 0, 1, 0}},
        {"too slow for a pair", m, Join({Click(BtnLeft, 0), Click(BtnLeft, 501)}), {0, 0, 2, 0, 0}},
        {"a triple click is a double-click and a click",
         m,
         Join({Click(BtnLeft, 0), Click(BtnLeft, 200), Click(BtnLeft, 400)}),
         {0, 0, 1, 1, 0}},
        {"two buttons do not pair",
         m,
         Join({Click(BtnLeft, 0), Click(BtnRight, 100)}),
         {0, 0, 2, 0, 0}},
        {"an extra button counts nothing and breaks a pair",
         m,
         Join({Click(BtnLeft, 0), Click(BtnSide, 100), Click(BtnLeft, 200)}),
         {0, 0, 2, 0, 0}},
        {"the pair across the clock's wrap",
         m,
         Join({Click(BtnLeft, 0xFFFFFF00u), Click(BtnLeft, 0x40)}),
         {0, 0, 0, 1, 0}},
        {"a release before any press", m, {Btn(BtnRight, KeyRelease)}, {0, 0, 1, 0, 0}},
    });
}

TEST(EvdevTranslationTest, RelativeMotionIsHandTravelAtAThousandCountsPerInch) {
    RunCases({
        {"a first motion of unknown resolution",
         Mouse(),
         {Rel(RelX, 300), Rel(RelY, 400), Syn()},
         {500, 0, 0, 0, 0}},
        {"axes in separate frames add up",
         Mouse(),
         {Rel(RelX, 300), Syn(), Rel(RelY, 400), Syn()},
         {700, 0, 0, 0, 0}},
        {"a 2000 dpi mouse moves half as far",
         Mouse(2000),
         {Rel(RelX, -300), Rel(RelY, 400), Syn()},
         {250, 0, 0, 0, 0}},
        {"a 400 dpi mouse", Mouse(400), {Rel(RelX, 4), Syn()}, {10, 0, 0, 0, 0}},
        {"the wheels count nothing",
         Mouse(),
         {Rel(RelWheel, 1), Rel(RelWheelHiRes, 120), Rel(RelHWheel, -1), Syn()},
         {0, 0, 0, 0, 0}},
        {"a motion not ended by a report is not counted yet",
         Mouse(),
         {Rel(RelX, 5)},
         {0, 0, 0, 0, 0}},
        {"with the left button down it is a drag",
         Mouse(),
         {Btn(BtnLeft, KeyPress), Syn(), Rel(RelX, 3), Rel(RelY, 4), Syn(),
          Btn(BtnLeft, KeyRelease), Syn(), Rel(RelX, 6), Rel(RelY, 8), Syn()},
         {10, 5, 1, 0, 0}},
        {"an extra button held is no drag",
         Mouse(),
         {Btn(BtnSide, KeyPress), Syn(), Rel(RelX, 3), Rel(RelY, 4), Syn()},
         {5, 0, 0, 0, 0}},
        {"a lost frame is not counted",
         Mouse(),
         {Rel(RelX, 100), Dropped(), Rel(RelX, 100), Syn(), Rel(RelX, 3), Rel(RelY, 4), Syn()},
         {5, 0, 0, 0, 0}},
    });
}

TEST(EvdevTranslationTest, AbsoluteStrokesGoThroughTheResolution) {
    // 40 units a mm: 254 units are 6.35 mm, a quarter inch, 250 counts.
    const auto touch = [](std::int32_t x, std::int32_t y) {
        return std::vector<EvdevEvent>{Key(BtnTouch, 1), Key(BtnToolFinger, 1), Abs(AbsX, x),
                                       Abs(AbsY, y), Syn()};
    };
    const auto to = [](std::int32_t x, std::int32_t y) {
        return std::vector<EvdevEvent>{Abs(AbsX, x), Abs(AbsY, y), Syn()};
    };
    const std::vector<EvdevEvent> lift = {Key(BtnTouch, 0), Key(BtnToolFinger, 0), Syn()};
    RunCases({
        {"a stroke of a quarter inch",
         Touchpad(40),
         Join({touch(1000, 1000), to(1254, 1000), lift}),
         {250, 0, 0, 0, 0}},
        {"a first touch is where the path starts",
         Touchpad(40),
         Join({touch(5000, 5000), lift}),
         {0, 0, 0, 0, 0}},
        {"a lift breaks the path",
         Touchpad(40),
         Join({touch(1000, 1000), to(1254, 1000), lift, touch(3000, 3000), to(3000, 3254), lift}),
         {500, 0, 0, 0, 0}},
        {"an axis that does not change is not reported",
         Touchpad(40),
         Join({touch(0, 0), {Abs(AbsY, 254), Syn()}, {Abs(AbsX, 254), Syn()}, lift}),
         {500, 0, 0, 0, 0}},
        {"two fingers scroll, not move",
         Touchpad(40),
         Join({touch(0, 0),
               {Key(BtnToolFinger, 0), Key(BtnToolDoubleTap, 1), Syn()},
               to(0, 2540),
               lift}),
         {0, 0, 0, 0, 0}},
        {"the pad's button held makes a drag",
         Touchpad(40),
         Join({touch(0, 0),
               {Btn(BtnLeft, KeyPress), Syn()},
               to(254, 0),
               {Btn(BtnLeft, KeyRelease), Syn()},
               lift}),
         {0, 250, 1, 0, 0}},
        {"unknown resolution: one unit, one count",
         Touchpad(0),
         Join({touch(0, 0), to(30, 40), lift}),
         {50, 0, 0, 0, 0}},
        {"a tablet counts while its pen is near",
         Tablet(40),
         {Key(BtnToolPen, 1), Abs(AbsX, 0), Abs(AbsY, 0), Syn(), Abs(AbsX, 254), Syn(),
          Key(BtnToolPen, 0), Syn(), Abs(AbsX, 0), Syn()},
         {250, 0, 0, 0, 0}},
    });
}

TEST(EvdevTranslationTest, AHostileDeviceCannotOverflowOrSpoilTheCounts) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    std::vector<EvdevEvent> floods;
    for (int i = 0; i < 4; ++i) floods.push_back(Rel(RelX, kMax));
    floods.push_back(Syn());
    RunCases({
        {"ten inches in one frame still count",
         Mouse(),
         {Rel(RelX, 6000), Rel(RelY, 8000), Syn()},
         {10000, 0, 0, 0, 0}},
        {"a frame beyond ten inches is dropped whole",
         Mouse(),
         {Rel(RelX, 6000), Rel(RelY, 8001), Syn(), Rel(RelX, 3), Rel(RelY, 4), Syn()},
         {5, 0, 0, 0, 0}},
        {"a frame of 2 x INT32_MAX",
         Mouse(),
         {Rel(RelX, kMax), Rel(RelX, kMax), Syn()},
         {0, 0, 0, 0, 0}},
        {"sums that would overflow 32 bits, then 64", Mouse(), floods, {0, 0, 0, 0, 0}},
        {"a jump across a pad of absurd resolution",
         Touchpad(1),
         {Key(BtnTouch, 1), Key(BtnToolFinger, 1), Abs(AbsX, kMin), Abs(AbsY, kMin), Syn(),
          Abs(AbsX, kMax), Abs(AbsY, kMax), Syn(), Abs(AbsX, kMax - 127), Syn()},
         {5000, 0, 0, 0, 0}},
    });
    // The whole int32 range of both axes, many times: nothing, and later moves count in full.
    EvdevTranslator translator;
    EvdevDevice pad{Touchpad(1), {}};
    EvdevDevice mouse{Mouse(), {}};
    for (const auto& e : {Key(BtnTouch, 1), Key(BtnToolFinger, 1)}) translator.Translate(pad, e);
    for (int i = 0; i < 100000; ++i) {
        const std::int32_t at = i % 2 ? kMax : kMin;
        for (const auto& e : {Abs(AbsX, at), Abs(AbsY, at), Syn()}) translator.Translate(pad, e);
    }
    for (const auto& e : {Rel(RelX, kMax), Rel(RelY, kMax), Syn()}) translator.Translate(mouse, e);
    EXPECT_EQ(Move(translator), 0);
    for (int i = 0; i < 1000; ++i) {
        for (const auto& e : {Rel(RelX, 3), Rel(RelY, 4), Syn()}) translator.Translate(mouse, e);
    }
    EXPECT_EQ(Move(translator), 5000);
}

TEST(EvdevTranslationTest, SmallMovesAreNotLostInALargeTotal) {
    EvdevTranslator translator;
    EvdevDevice mouse{Mouse(), {}};
    // A hundred million counts already: a double would still hold 5 exactly, but sums of
    // fractions drift; the fixed point keeps every frame's own rounding and nothing else.
    for (int i = 0; i < 10000; ++i) {
        for (const auto& e : {Rel(RelX, 6000), Rel(RelY, 8000), Syn()})
            translator.Translate(mouse, e);
    }
    const FixedDistance before = translator.Totals().moveDistance;
    for (int i = 0; i < 1000; ++i) {
        for (const auto& e : {Rel(RelX, 1), Rel(RelY, 1), Syn()}) translator.Translate(mouse, e);
    }
    EXPECT_NEAR(DistanceCounts(translator.Totals().moveDistance - before), 1000 * std::sqrt(2.0),
                1000 / kDistanceUnitsPerCount);
}

TEST(EvdevTranslationTest, NothingCountsWhileOffButStateIsKept) {
    EvdevTranslator translator;
    EvdevDevice mouse{Mouse(), {}};
    translator.SetCounting(false);
    for (const auto& e : {Btn(BtnLeft, KeyPress), Syn(), Rel(RelX, 10), Syn(), Key(KeyA, 0)})
        translator.Translate(mouse, e);
    translator.SetCounting(true);
    // The button pressed while off is still down: the move is a drag.
    for (const auto& e : {Rel(RelX, 3), Rel(RelY, 4), Syn(), Btn(BtnLeft, KeyRelease), Syn()})
        translator.Translate(mouse, e);
    EXPECT_EQ(translator.Totals().keys, 0);
    EXPECT_EQ(Move(translator), 0);
    EXPECT_EQ(Drag(translator), 5);
    EXPECT_EQ(translator.Totals().clicks, 1);
}

TEST(EvdevTranslationTest, ADeviceGoneOrResyncedReleasesItsButtons) {
    EvdevTranslator translator;
    EvdevDevice a{Mouse(), {}}, b{Mouse(), {}};
    translator.Translate(a, Btn(BtnLeft, KeyPress));
    translator.Forget(a);  // unplugged with the button down
    for (const auto& e : {Rel(RelX, 5), Syn()}) translator.Translate(b, e);
    EXPECT_EQ(Move(translator), 5);

    translator.Translate(b, Btn(BtnRight, KeyPress));
    translator.Translate(b, Dropped());
    EXPECT_TRUE(b.state.needsResync);
    translator.Translate(b, Syn());
    translator.Resync(b, 0, false, false);  // the release was among the lost events
    for (const auto& e : {Rel(RelX, 5), Syn()}) translator.Translate(b, e);
    EXPECT_EQ(Move(translator), 10);
    EXPECT_EQ(Drag(translator), 0);
    EXPECT_FALSE(b.state.needsResync);
}

TEST(EvdevTranslationTest, DoubleClickTimeIsTheClients) {
    EvdevTranslator translator;
    EvdevDevice m{Mouse(), {}};
    translator.SetDoubleClickMs(200);
    translator.SetDoubleClickMs(0);  // keeps 200
    for (const auto& e : Join({Click(BtnLeft, 0), Click(BtnLeft, 300)})) translator.Translate(m, e);
    EXPECT_EQ(translator.Totals().doubleClicks, 0);
    EXPECT_EQ(translator.Totals().clicks, 2);
}

TEST(EvdevTranslationTest, MouseDpiAsUdevWritesIt) {
    struct DpiCase {
        const char* text;
        double dpi;
    } cases[] = {
        {"800", 800},
        {"1000@125", 1000},
        {"400@125 *800@125 1600@125", 800},
        {"*1600@1000", 1600},
        {"", 0},
        {"fast", 0},
        {"800@", 0},
        {"0@125", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseMouseDpi(c.text), c.dpi);
    }
    EXPECT_EQ(ParseMouseDpi(nullptr), 0);
    EXPECT_EQ(RelativeScale(0), 1.0);
    EXPECT_EQ(RelativeScale(500), 2.0);
    EXPECT_NEAR(AbsoluteScale(10), 1000.0 / 254.0, 1e-12);
}

}  // namespace
}  // namespace tavrel::hooks
