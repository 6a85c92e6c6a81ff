// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/readout_panel.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "tavrel/pain_model.h"

namespace tavrel {

namespace {

std::uint64_t Key(std::int32_t a, std::int32_t b = 0) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(a)) << 32) |
           static_cast<std::uint32_t>(b);
}

// The bit pattern: tells -0 from 0, and a NaN equals itself.
std::uint64_t Key(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

}  // namespace

ReadoutPanel::ReadoutPanel(ReadoutDisplay& window, const WindowFlags& flags)
    : window_(window), flags_(flags) {}

void ReadoutPanel::OnSample(const Sample& sample) {
    if (sample.closing) return;  // the window is going
    clickTotal_ = WrapAdd(clickTotal_, sample.activity.clicks);
    doubleClickTotal_ = WrapAdd(doubleClickTotal_, sample.activity.doubleClicks);
    last_ = sample;
    haveSample_ = true;
    // Nobody sees the read-outs of a hidden window; setting them costs the window system a
    // repaint each time.
    if (flags_.WindowShown()) Show(sample);
}

void ReadoutPanel::Refresh() {
    if (haveSample_) Show(last_);  // before the first sample the placeholders stay
}

void ReadoutPanel::Show(const Sample& s) {
    ShowValue(Readout::TickCount, Key(s.tickCount), "%6u", static_cast<unsigned>(s.tickCount));
    ShowValue(Readout::Distance, Key(s.activity.moveDistance), "%6.0f",
              static_cast<double>(s.activity.moveDistance));
    ShowValue(Readout::DragDistance, Key(s.activity.dragDistance), "%6.0f",
              static_cast<double>(s.activity.dragDistance));
    ShowValue(Readout::Clicks, Key(clickTotal_, doubleClickTotal_), "%2d %2d",
              static_cast<int>(clickTotal_), static_cast<int>(doubleClickTotal_));
    const std::int32_t pain = TruncToInt32(s.pain);
    ShowValue(Readout::Pain, Key(pain), "%6d", static_cast<int>(pain));
    ShowValue(Readout::TotalDistance, Key(s.totalDistance), "%12ld",
              static_cast<long>(s.totalDistance));
    ShowValue(Readout::TotalKeys, Key(s.totalKeys), "%12ld", static_cast<long>(s.totalKeys));
}

void ReadoutPanel::ShowValue(Readout readout, std::uint64_t value, const char* format, ...) {
    Shown& shown = shown_[static_cast<int>(readout)];
    if (shown.set && shown.value == value) return;
    shown.value = value;

    char text[kTextSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    // Different values can still read the same, such as 99.6 and 100.4 pixels.
    if (shown.set && std::strcmp(shown.text, text) == 0) return;
    std::memcpy(shown.text, text, sizeof text);
    shown.set = true;
    window_.SetReadout(readout, text);
}

}  // namespace tavrel
