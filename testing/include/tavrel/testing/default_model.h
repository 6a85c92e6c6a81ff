// SPDX-License-Identifier: GPL-3.0-or-later
// The pain model as a fresh installation sets it up on a 1024-pixel screen.
#pragma once

#include "tavrel/pain_model.h"

namespace tavrel::testing {

inline PainModel DefaultModel() {
    PainModel m;
    m.totalDistance = 0;
    m.totalKeys = 0;
    m.breakLimit = 100;
    m.threshold = 100.0f;
    m.screenWidth = 1024.0f;
    m.pain = 0.0f;
    m.decay = 10.0f;
    m.movePain = 10.0f;
    m.dragPain = 10.0f;
    m.clickPain = 10.0f;
    m.doubleclickPain = 10.0f;
    m.keyboardPain = 10.0f;
    return m;
}

// The model the benchmarks run: every weight and the decay 1, so that no step is skipped.
inline PainModel BenchModel() {
    PainModel m = DefaultModel();
    m.decay = 1.0f;
    m.movePain = m.dragPain = m.clickPain = m.doubleclickPain = m.keyboardPain = 1.0f;
    return m;
}

}  // namespace tavrel::testing
