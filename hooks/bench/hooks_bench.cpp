// SPDX-License-Identifier: GPL-3.0-or-later
// What one input event costs on the input path of every thread on the desktop, and what
// one GetData costs the program twenty times a second.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "tavrel/evdev_translation.h"
#include "tavrel/hooks_core.h"
#include "tavrel/low_level_input_translation.h"
#include "tavrel/x_input_translation.h"

namespace {

using namespace tavrel::hooks;

// One counted move: alternating between (0, 0) and (3, 4), 5 pixels each.
void BM_CountedMove(benchmark::State& state) {
    ActivityBlock block{};
    ProcessState process{};
    const ScreenPoint corners[2] = {{3, 4}, {0, 0}};
    unsigned i = 0;
    for (auto _ : state) {
        CountMouseMessage(block, process, 0, mouse_message::Move, &corners[i++ & 1]);
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(block.activity.moveDistance);
}
BENCHMARK(BM_CountedMove);

// One counted keystroke (a release).
void BM_Keystroke(benchmark::State& state) {
    ActivityBlock block{};
    for (auto _ : state) {
        CountKeyboardMessage(block, 0, PreviousKeyStateFlag);
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(block.activity.keys);
}
BENCHMARK(BM_Keystroke);

// The hooks write the distances, and the clicks with the double-clicks, as one 64-bit unit
// each; refill them the same way, so that the figure holds no store-forwarding stall that
// real input never causes.
template <class T>
void FillPair(T* first, T a, T b) {
    T pair[2] = {a, b};
    std::uint64_t bits;
    std::memcpy(&bits, pair, sizeof bits);
    std::memcpy(first, &bits, sizeof bits);
}

// One GetData with 0 (idle user), 1 (the pointer moved) or all 5 fields holding activity;
// the fields are refilled before each call.
void BM_GetData(benchmark::State& state) {
    const auto filled = state.range(0);
    ActivityBlock block{};
    MDTAG record{};
    for (auto _ : state) {
        if (filled == 1) FillPair(&block.activity.moveDistance, 12.5f, 0.0f);
        if (filled >= 5) {
            FillPair(&block.activity.moveDistance, 12.5f, 3.0f);
            FillPair<std::int32_t>(&block.activity.clicks, 2, 1);
            block.activity.keys = 7;
        }
        benchmark::ClobberMemory();
        GetData(block, &record);
        benchmark::DoNotOptimize(record);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_GetData)->Arg(0)->Arg(1)->Arg(5);

// The floor for a counted move: one square root and one add into a float, in double.
void BM_BaselineSqrtAdd(benchmark::State& state) {
    float sum = 0.0f;
    double squared = 25.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(squared);
        sum = static_cast<float>(static_cast<double>(sum) + std::sqrt(squared));
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_BaselineSqrtAdd);

// One X event through the translator on the Linux capture thread. The floors are the bare
// counting calls above: BM_CountedMove for a motion, BM_Keystroke for a key.
void BM_TranslateMotion(benchmark::State& state) {
    ActivityBlock block{};
    XInputTranslator translator(block);
    const XDeviceEvent moves[2] = {{x_event::MotionNotifyEvent, 0, 3, 4, 0},
                                   {x_event::MotionNotifyEvent, 0, 0, 0, 0}};
    unsigned i = 0;
    for (auto _ : state) {
        translator.Translate(moves[i++ & 1]);
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(block.activity.moveDistance);
}
BENCHMARK(BM_TranslateMotion);

// Alternating press and release of one key: the key set, then one keystroke message.
void BM_TranslateKey(benchmark::State& state) {
    ActivityBlock block{};
    XInputTranslator translator(block);
    const XDeviceEvent keys[2] = {{x_event::KeyPressEvent, 38, 0, 0, 0},
                                  {x_event::KeyReleaseEvent, 38, 0, 0, 0}};
    unsigned i = 0;
    for (auto _ : state) {
        translator.Translate(keys[i++ & 1]);
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(block.activity.keys);
}
BENCHMARK(BM_TranslateKey);

// Alternating press and release of the left button, a second apart: every press goes
// through the double-click test, every release is a counted click.
void BM_TranslateButton(benchmark::State& state) {
    ActivityBlock block{};
    XInputTranslator translator(block);
    XDeviceEvent event{x_event::ButtonPressEvent, 1, 100, 100, 0};
    unsigned i = 0;
    for (auto _ : state) {
        event.type = (i & 1) ? x_event::ButtonReleaseEvent : x_event::ButtonPressEvent;
        event.timeMs = i++ * 500;
        translator.Translate(event);
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(block.activity.clicks);
}
BENCHMARK(BM_TranslateButton);

// One kernel event through the input service's translator, cycling through a stream as a
// device delivers it; each iteration is one event. The floor is BM_BaselineSqrtAdd: a
// motion frame ends in one square root and one add.
void RunEvdevStream(benchmark::State& state, const EvdevEvent* stream, unsigned length,
                    EvdevDeviceInfo info) {
    EvdevTranslator translator;
    EvdevDevice device{info, {}};
    unsigned i = 0;
    for (auto _ : state) {
        EvdevEvent event = stream[i % length];
        event.timeMs = i * 300;  // presses a click apart, never a double-click
        translator.Translate(device, event);
        ++i;
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(translator.Totals());
}

// A mouse's relative motion: REL_X, REL_Y, SYN_REPORT, a move of 5 counts at 800 dpi.
void BM_EvdevMotion(benchmark::State& state) {
    using namespace evdev;
    const EvdevEvent stream[] = {
        {0, EvRel, RelX, 3}, {0, EvRel, RelY, 4}, {0, EvSyn, SynReport, 0}};
    EvdevDeviceInfo info;
    info.relativeScale = RelativeScale(800);
    RunEvdevStream(state, stream, 3, info);
}
BENCHMARK(BM_EvdevMotion);

// A key tapped: press, report, release (counted), report.
void BM_EvdevKey(benchmark::State& state) {
    using namespace evdev;
    const EvdevEvent stream[] = {{0, EvKey, 30, KeyPress},
                                 {0, EvSyn, SynReport, 0},
                                 {0, EvKey, 30, KeyRelease},
                                 {0, EvSyn, SynReport, 0}};
    RunEvdevStream(state, stream, 4, EvdevDeviceInfo{});
}
BENCHMARK(BM_EvdevKey);

// The left button clicked: press (the double-click test), report, release, report.
void BM_EvdevButton(benchmark::State& state) {
    using namespace evdev;
    const EvdevEvent stream[] = {{0, EvKey, BtnLeft, KeyPress},
                                 {0, EvSyn, SynReport, 0},
                                 {0, EvKey, BtnLeft, KeyRelease},
                                 {0, EvSyn, SynReport, 0}};
    RunEvdevStream(state, stream, 4, EvdevDeviceInfo{});
}
BENCHMARK(BM_EvdevButton);

// A touchpad stroke: ABS_X, ABS_Y, SYN_REPORT with one finger down, 40 units a mm.
void BM_EvdevTouchpad(benchmark::State& state) {
    using namespace evdev;
    const EvdevEvent stream[] = {{0, EvAbs, AbsX, 1000},   {0, EvAbs, AbsY, 1000},
                                 {0, EvSyn, SynReport, 0}, {0, EvAbs, AbsX, 1030},
                                 {0, EvAbs, AbsY, 1040},   {0, EvSyn, SynReport, 0}};
    EvdevDeviceInfo info;
    info.absoluteScaleX = info.absoluteScaleY = AbsoluteScale(40);
    info.touchpad = true;
    EvdevTranslator translator;
    EvdevDevice device{info, {}};
    translator.Translate(device, {0, EvKey, BtnTouch, 1});
    translator.Translate(device, {0, EvKey, BtnToolFinger, 1});
    unsigned i = 0;
    for (auto _ : state) {
        translator.Translate(device, stream[i++ % 6]);
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(translator.Totals());
}
BENCHMARK(BM_EvdevTouchpad);

// One low-level hook event through the translator on the Windows capture thread: the whole
// counting work the hook does per event. The floors are again BM_CountedMove for a move and
// BM_Keystroke for a key.
void BM_LowLevelMove(benchmark::State& state) {
    ActivityBlock block{};
    LowLevelInputTranslator translator(block);
    const LowLevelMouseEvent moves[2] = {{mouse_message::Move, 0, {3, 4}, 0},
                                         {mouse_message::Move, 0, {0, 0}, 0}};
    unsigned i = 0;
    for (auto _ : state) {
        translator.Mouse(moves[i++ & 1]);
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(block.activity.moveDistance);
}
BENCHMARK(BM_LowLevelMove);

void BM_LowLevelKey(benchmark::State& state) {
    ActivityBlock block{};
    LowLevelInputTranslator translator(block);
    unsigned i = 0;
    for (auto _ : state) {
        translator.Key(0x41, (i++ & 1) == 0);
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(block.activity.keys);
}
BENCHMARK(BM_LowLevelKey);

// Press and release of the left button in turn, half a second apart: every press goes through
// the double-click rule, every release is a counted click.
void BM_LowLevelButton(benchmark::State& state) {
    ActivityBlock block{};
    LowLevelInputTranslator translator(block);
    LowLevelMouseEvent event{mouse_message::LeftDown, 0, {100, 100}, 0};
    unsigned i = 0;
    for (auto _ : state) {
        event.message = (i & 1) ? mouse_message::LeftUp : mouse_message::LeftDown;
        event.timeMs = i++ * 500;
        translator.Mouse(event);
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(block.activity.clicks);
}
BENCHMARK(BM_LowLevelButton);

}  // namespace

BENCHMARK_MAIN();
