// SPDX-License-Identifier: GPL-3.0-or-later
// Turns the kernel's input events (evdev: type, code, value) from keyboards, mice, pointing
// sticks, touchpads and tablets into the five counts of the activity record. Plain numbers in,
// running totals out: no Linux header, no heap, no lock. One translator serves every device;
// each device brings its own small state.
#pragma once

#include <cstdint>

namespace tavrel::hooks {

// The kernel's numbering (a stable ABI), named apart from <linux/input.h>'s macros so both
// can be included together; the service checks them against the kernel header.
namespace evdev {
constexpr std::uint16_t EvSyn = 0x00;
constexpr std::uint16_t EvKey = 0x01;
constexpr std::uint16_t EvRel = 0x02;
constexpr std::uint16_t EvAbs = 0x03;
constexpr std::uint16_t SynReport = 0;
constexpr std::uint16_t SynDropped = 3;
constexpr std::uint16_t RelX = 0x00;
constexpr std::uint16_t RelY = 0x01;
constexpr std::uint16_t AbsX = 0x00;
constexpr std::uint16_t AbsY = 0x01;
constexpr std::uint16_t BtnLeft = 0x110;
constexpr std::uint16_t BtnRight = 0x111;
constexpr std::uint16_t BtnMiddle = 0x112;
constexpr std::uint16_t BtnTask = 0x117;  // the last of the mouse's buttons
constexpr std::uint16_t BtnToolPen = 0x140;
constexpr std::uint16_t BtnToolAirbrush = 0x144;
constexpr std::uint16_t BtnToolFinger = 0x145;
constexpr std::uint16_t BtnToolMouse = 0x146;
constexpr std::uint16_t BtnToolLens = 0x147;
constexpr std::uint16_t BtnTouch = 0x14a;
constexpr std::uint16_t KeyOk = 0x160;  // keys resume here after the buttons
constexpr std::uint16_t BtnTriggerHappy = 0x2c0;
constexpr std::int32_t KeyRelease = 0;
constexpr std::int32_t KeyPress = 1;
constexpr std::int32_t KeyRepeat = 2;
}  // namespace evdev

// One event as the service reads it; the time only matters for button presses.
struct EvdevEvent {
    std::uint32_t timeMs;  // the event's time stamp in ms; wraps at 2^32
    std::uint16_t type;
    std::uint16_t code;
    std::int32_t value;
};

// A distance in fixed point, 1/65536 of a count. Integers add a small move to a large total
// exactly, where a floating-point total would absorb it; the totals wrap modulo 2^64, and a
// difference of two of them is exact as long as it is smaller than that.
using FixedDistance = std::uint64_t;
constexpr double kDistanceUnitsPerCount = 65536.0;
// The counts a difference of two fixed-point totals stands for.
inline double DistanceCounts(FixedDistance units) {
    return static_cast<double>(units) / kDistanceUnitsPerCount;
}

// Running totals since the translator was made: the activity record's five fields, wide
// enough never to wrap in practice or lose small moves in a long-running service.
struct EvdevTotals {
    FixedDistance moveDistance = 0;
    FixedDistance dragDistance = 0;
    std::int64_t clicks = 0;  // releases, less 2 per double-click
    std::int64_t doubleClicks = 0;
    std::int64_t keys = 0;

    bool operator==(const EvdevTotals& o) const {
        return moveDistance == o.moveDistance && dragDistance == o.dragDistance &&
               clicks == o.clicks && doubleClicks == o.doubleClicks && keys == o.keys;
    }
    bool operator!=(const EvdevTotals& o) const { return !(*this == o); }
};

// Counts per inch that one pixel stands for: hand travel, not pointer pixels, since a
// Wayland desktop shows no program where the pointer went.
constexpr double kCountsPerInch = 1000.0;
constexpr double kMillimetresPerInch = 25.4;
// No hand moves further than this in one frame (about a hundredth of a second): a frame that
// claims more comes from a broken or hostile device and is dropped whole.
constexpr double kMaxFrameCounts = 10 * kCountsPerInch;

// How a device's motion is measured; fixed when the device is opened.
struct EvdevDeviceInfo {
    // Pixels per relative count: kCountsPerInch / the device's DPI. 0: relative motion is
    // not counted.
    double relativeScale = 0;
    // Pixels per absolute unit on each axis. 0: absolute motion is not counted.
    double absoluteScaleX = 0;
    double absoluteScaleY = 0;
    // A touchpad's stroke counts while one finger touches; a tablet's while a tool is near.
    bool touchpad = false;
};

// What the translator keeps for one device; zero when the device is opened, except the
// absolute position, which starts where the kernel says the axes are.
struct EvdevDeviceState {
    // Relative motion of the frame not yet ended by a SYN_REPORT; 64 bits, and no longer added
    // to once far beyond any sane frame, so that no run of events can overflow them.
    std::int64_t relX = 0;
    std::int64_t relY = 0;
    std::int32_t absX = 0;     // latest absolute position; an axis that does not change
    std::int32_t absY = 0;     // is not reported again
    std::int32_t strokeX = 0;  // where the stroke's path was last measured to
    std::int32_t strokeY = 0;
    bool inStroke = false;
    bool touching = false;         // BTN_TOUCH
    bool oneFinger = false;        // BTN_TOOL_FINGER: exactly one finger on the pad
    std::uint8_t toolsNear = 0;    // a tablet's tools in proximity, one bit each
    std::uint8_t buttonsHeld = 0;  // the mouse buttons held, one bit each from BTN_LEFT
    // After SYN_DROPPED the kernel lost events: the rest of that frame is ignored and the
    // device's button and touch state is to be read again (see NeedsResync).
    bool dropping = false;
    bool needsResync = false;
};

struct EvdevDevice {
    EvdevDeviceInfo info;
    EvdevDeviceState state;
};

// The device's resolution from udev's MOUSE_DPI ("800", "800@125", or a list such as
// "400@125 *800@125 1600@125" whose starred entry is the default). 0 if none can be read.
double ParseMouseDpi(const char* text);
// kCountsPerInch / dpi, with an unknown resolution (0) taken as kCountsPerInch.
double RelativeScale(double dpi);
// Pixels per unit of an absolute axis of `unitsPerMm` (0 when the kernel does not know it:
// one unit is then taken as one count).
double AbsoluteScale(std::int32_t unitsPerMm);

class EvdevTranslator {
  public:
    // Counts one event of `device` into the totals.
    void Translate(EvdevDevice& device, const EvdevEvent& event);
    // The device has gone: the buttons it held no longer make moves drags. Counts nothing.
    void Forget(EvdevDevice& device);
    // After SYN_DROPPED: the device's state as the kernel now reports it (its mouse buttons
    // held, one bit each from BTN_LEFT; its touch and finger flags). Counts nothing.
    void Resync(EvdevDevice& device, std::uint8_t buttonsHeld, bool touching, bool oneFinger);

    // The client's double-click interval; 0 keeps the current one.
    void SetDoubleClickMs(std::uint32_t ms) {
        if (ms != 0) doubleClickMs_ = ms;
    }
    // While off, events keep the devices' state but count nothing.
    void SetCounting(bool on) { counting_ = on; }
    bool Counting() const { return counting_; }
    const EvdevTotals& Totals() const { return totals_; }

  private:
    void Key(EvdevDevice& device, const EvdevEvent& event);
    void Button(EvdevDevice& device, const EvdevEvent& event);
    void EndFrame(EvdevDevice& device);
    // Adds a frame's travel; a frame beyond kMaxFrameCounts counts nothing.
    void AddDistance(double pixels);
    void SetHeld(EvdevDevice& device, std::uint8_t buttonsHeld);

    EvdevTotals totals_;
    std::uint32_t doubleClickMs_ = 500;
    bool counting_ = true;
    // Left, right and middle buttons held on all devices together: any of them makes a drag.
    std::int32_t countedHeld_ = 0;
    // The press that a second one of the same button may turn into a double-click.
    bool pending_ = false;
    std::uint16_t firstButton_ = 0;
    std::uint32_t firstPressMs_ = 0;
};

}  // namespace tavrel::hooks
