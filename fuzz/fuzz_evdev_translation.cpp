// SPDX-License-Identifier: GPL-3.0-or-later
// The kernel's events as a hostile device could send them: any type, code and value, in any
// order, on a mouse, a touchpad or a tablet of any resolution. The sanitizers look for
// overflow and undefined behaviour; the checks for counts no device could make.
#include "fuzz_check.h"
#include "tavrel/evdev_translation.h"

using namespace tavrel::hooks;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tavrel::fuzz::Bytes in(data, size);
    const auto kind = in.Take<std::uint8_t>();
    EvdevDevice device{};
    switch (kind % 3) {
        case 0:
            device.info.relativeScale = RelativeScale(in.Take<std::uint16_t>());
            break;
        case 1:
        case 2:
            device.info.absoluteScaleX = AbsoluteScale(in.Take<std::int32_t>());
            device.info.absoluteScaleY = AbsoluteScale(in.Take<std::int32_t>());
            device.info.touchpad = kind % 3 == 1;
            break;
    }
    EvdevTranslator translator;
    translator.SetDoubleClickMs(in.Take<std::uint16_t>());
    std::uint32_t time = 0;
    std::int64_t frames = 0;
    while (!in.empty()) {
        EvdevEvent e{};
        time += in.Take<std::uint8_t>();
        e.timeMs = time;
        e.type = in.Take<std::uint8_t>() % 5;  // mostly the four types read, a few others
        e.code = in.Take<std::uint16_t>();
        if (e.type != evdev::EvKey) e.code %= 4;
        e.value = in.Take<std::int32_t>();
        if (e.type == evdev::EvSyn) ++frames;
        translator.Translate(device, e);
        if (device.state.needsResync) {
            const auto held = in.Take<std::uint8_t>();
            const auto flags = in.Take<std::uint8_t>();
            translator.Resync(device, held, (flags & 1) != 0, (flags & 2) != 0);
        }
    }
    const EvdevTotals& t = translator.Totals();
    // No frame travels more than its bound; no count runs backwards beyond what pairs take.
    const double bound = (frames + 1) * kMaxFrameCounts;
    FUZZ_CHECK(DistanceCounts(t.moveDistance) <= bound);
    FUZZ_CHECK(DistanceCounts(t.dragDistance) <= bound);
    FUZZ_CHECK(t.keys >= 0 && t.doubleClicks >= 0);
    FUZZ_CHECK(t.clicks >= -2 * t.doubleClicks);
    translator.Forget(device);
    return 0;
}
