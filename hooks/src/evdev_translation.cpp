// SPDX-License-Identifier: GPL-3.0-or-later
// Kernel input events counted in the activity record's terms.
#include "tavrel/evdev_translation.h"

namespace tavrel::hooks {
namespace {

using namespace evdev;

constexpr std::uint8_t kCountedButtons = 0x7;  // left, right, middle
// Past this a frame's relative sum is dropped anyway; stopping there keeps it far from
// overflowing however many events the frame holds.
constexpr std::int64_t kRelativeCap = std::int64_t{1} << 40;

void AddRelative(std::int64_t& sum, std::int32_t value) {
    if (sum > -kRelativeCap && sum < kRelativeCap) sum += value;
}

bool IsKey(std::uint16_t code) {
    return (code > 0 && code < 0x100) || (code >= KeyOk && code < BtnTriggerHappy);
}

bool IsMouseButton(std::uint16_t code) {
    return code >= BtnLeft && code <= BtnTask;
}

bool IsTabletTool(std::uint16_t code) {
    return (code >= BtnToolPen && code <= BtnToolAirbrush) || code == BtnToolMouse ||
           code == BtnToolLens;
}

int PopCount(std::uint8_t bits) {
    return __builtin_popcount(bits);
}

// An unsigned integer at text; text moves past it. -1 if there is none.
long ReadNumber(const char*& text) {
    if (*text < '0' || *text > '9') return -1;
    long n = 0;
    while (*text >= '0' && *text <= '9') {
        if (n < 1000000) n = n * 10 + (*text - '0');
        ++text;
    }
    return n;
}

}  // namespace

double ParseMouseDpi(const char* text) {
    if (text == nullptr) return 0;
    long first = -1;
    for (const char* p = text; *p != '\0';) {
        if (*p == ' ' || *p == '\t') {
            ++p;
            continue;
        }
        const bool starred = *p == '*';
        if (starred) ++p;
        const long dpi = ReadNumber(p);
        if (dpi < 0) return 0;  // not the format udev writes
        if (starred && dpi > 0) return static_cast<double>(dpi);
        if (first < 0) first = dpi;
        if (*p == '@') {
            ++p;
            if (ReadNumber(p) < 0) return 0;
        }
    }
    return first > 0 ? static_cast<double>(first) : 0;
}

double RelativeScale(double dpi) {
    return dpi > 0 ? kCountsPerInch / dpi : 1.0;
}

double AbsoluteScale(std::int32_t unitsPerMm) {
    return unitsPerMm > 0 ? kCountsPerInch / kMillimetresPerInch / unitsPerMm : 1.0;
}

void EvdevTranslator::Translate(EvdevDevice& device, const EvdevEvent& event) {
    EvdevDeviceState& s = device.state;
    if (s.dropping) {
        // Everything up to the next report belongs to a frame the kernel did not finish.
        if (event.type == EvSyn && event.code == SynReport) s.dropping = false;
        return;
    }
    switch (event.type) {
        case EvSyn:
            if (event.code == SynReport) {
                EndFrame(device);
            } else if (event.code == SynDropped) {
                s.relX = s.relY = 0;
                s.inStroke = false;
                s.dropping = true;
                s.needsResync = true;
            }
            break;
        case EvKey:
            Key(device, event);
            break;
        case EvRel:
            if (event.code == RelX) AddRelative(s.relX, event.value);
            if (event.code == RelY) AddRelative(s.relY, event.value);
            break;  // the wheels count nothing
        case EvAbs:
            if (event.code == AbsX) s.absX = event.value;
            if (event.code == AbsY) s.absY = event.value;
            break;
        default:
            break;
    }
}

void EvdevTranslator::Key(EvdevDevice& device, const EvdevEvent& event) {
    EvdevDeviceState& s = device.state;
    const std::uint16_t code = event.code;
    if (IsKey(code)) {
        // A first press is not a keystroke; its repeats and its release are: a tap counts
        // 1, a key held through n repeats n + 1.
        if (counting_ && event.value != KeyPress) ++totals_.keys;
    } else if (IsMouseButton(code)) {
        Button(device, event);
    } else if (code == BtnTouch) {
        s.touching = event.value != 0;
    } else if (code == BtnToolFinger) {
        s.oneFinger = event.value != 0;
    } else if (IsTabletTool(code)) {
        const std::uint8_t bit = static_cast<std::uint8_t>(1u << (code - BtnToolPen));
        s.toolsNear = event.value != 0 ? (s.toolsNear | bit) : (s.toolsNear & ~bit);
    }
}

void EvdevTranslator::Button(EvdevDevice& device, const EvdevEvent& event) {
    const int index = event.code - BtnLeft;
    const std::uint8_t bit = static_cast<std::uint8_t>(1u << index);
    const bool counted = (bit & kCountedButtons) != 0;
    std::uint8_t held = device.state.buttonsHeld;
    if (event.value == KeyRelease) {
        if ((held & bit) == 0 && !counted) return;
        SetHeld(device, held & ~bit);
        // Every release of a counted button is a click, even one pressed before counting.
        if (counted && counting_) ++totals_.clicks;
        return;
    }
    // A button already held is pressed again only by a repeat: no new press.
    if (event.value != KeyPress || (held & bit) != 0) return;
    SetHeld(device, held | bit);
    // Only consecutive presses pair up; a press of any other button, the extra ones
    // included, breaks the pair, and a third press starts a new one.
    const bool second = pending_ && firstButton_ == event.code &&
                        static_cast<std::uint32_t>(event.timeMs - firstPressMs_) <= doubleClickMs_;
    pending_ = !second;
    firstButton_ = event.code;
    firstPressMs_ = event.timeMs;
    if (second && counted && counting_) {
        // The release before it counted a click and the one after it will: the pair
        // counts as one double-click and no click.
        totals_.clicks -= 2;
        ++totals_.doubleClicks;
    }
}

void EvdevTranslator::SetHeld(EvdevDevice& device, std::uint8_t buttonsHeld) {
    countedHeld_ += PopCount(buttonsHeld & kCountedButtons) -
                    PopCount(device.state.buttonsHeld & kCountedButtons);
    device.state.buttonsHeld = buttonsHeld;
}

void EvdevTranslator::AddDistance(double pixels) {
    // Also NaN: a comparison that is false lets nothing through.
    if (!counting_ || !(pixels >= 0 && pixels <= kMaxFrameCounts)) return;
    const auto units = static_cast<FixedDistance>(pixels * kDistanceUnitsPerCount + 0.5);
    if (countedHeld_ > 0) {
        totals_.dragDistance += units;
    } else {
        totals_.moveDistance += units;
    }
}

void EvdevTranslator::EndFrame(EvdevDevice& device) {
    EvdevDeviceState& s = device.state;
    const EvdevDeviceInfo& info = device.info;
    if ((s.relX != 0 || s.relY != 0) && info.relativeScale > 0) {
        // One frame is one move: (300, 400) is 500 counts, not 700.
        const auto dx = static_cast<double>(s.relX), dy = static_cast<double>(s.relY);
        AddDistance(__builtin_sqrt(dx * dx + dy * dy) * info.relativeScale);
    }
    s.relX = s.relY = 0;

    if (info.absoluteScaleX <= 0 || info.absoluteScaleY <= 0) return;
    const bool tracing = info.touchpad ? (s.touching && s.oneFinger) : s.toolsNear != 0;
    if (!tracing) {
        s.inStroke = false;  // a lift breaks the path
        return;
    }
    if (s.inStroke) {
        // In double: axes far apart must not overflow.
        const double dx =
            (static_cast<double>(s.absX) - static_cast<double>(s.strokeX)) * info.absoluteScaleX;
        const double dy =
            (static_cast<double>(s.absY) - static_cast<double>(s.strokeY)) * info.absoluteScaleY;
        if (dx != 0 || dy != 0) AddDistance(__builtin_sqrt(dx * dx + dy * dy));
    }
    s.inStroke = true;
    s.strokeX = s.absX;
    s.strokeY = s.absY;
}

void EvdevTranslator::Forget(EvdevDevice& device) {
    SetHeld(device, 0);
}

void EvdevTranslator::Resync(EvdevDevice& device, std::uint8_t buttonsHeld, bool touching,
                             bool oneFinger) {
    SetHeld(device, buttonsHeld);
    device.state.touching = touching;
    device.state.oneFinger = oneFinger;
    device.state.needsResync = false;
}

}  // namespace tavrel::hooks
