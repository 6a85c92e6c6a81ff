// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/plot_scene.h"

namespace tavrel {

Rgb DefaultRgb(Ink ink) {
    switch (ink) {
        case Ink::Background:
            return {255, 255, 255};
        case Ink::Frame:
            return {96, 96, 96};
        case Ink::Grid:
            return {224, 224, 224};
        case Ink::Text:
            return {32, 32, 32};
        case Ink::Pain:
            return {200, 40, 40};
        case Ink::Threshold:
            return {120, 60, 160};
        case Ink::AlarmSpan:
            return {255, 218, 218};
        case Ink::Keys:
            return {52, 101, 164};
        case Ink::Clicks:
            return {245, 150, 40};
        case Ink::MoveDistance:
            return {78, 154, 6};
        case Ink::DragDistance:
            return {160, 200, 110};
        case Ink::Alarms:
            return {204, 0, 0};
        case Ink::ActiveTime:
            return {168, 184, 212};
        case Ink::MouseTime:
            return {0, 128, 128};
        case Ink::KeyboardTime:
            return {106, 61, 154};
        case Ink::Reference:
            return {191, 90, 0};
    }
    return {0, 0, 0};
}

double EstimateTextWidth(const std::string& text, double size) {
    // Counts characters, not bytes: a UTF-8 continuation byte adds no width.
    double chars = 0;
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) chars += 1;
    }
    return chars * size * 0.6;
}

}  // namespace tavrel
