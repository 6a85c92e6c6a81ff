// SPDX-License-Identifier: GPL-3.0-or-later
// The debugging read-outs: tick counter, the last sample's distances, the click totals,
// pain and the two lifetime totals, each formatted only when its value changed.
#pragma once

#include <cstdint>

#include "tavrel/main_window.h"
#include "tavrel/sample.h"
#include "tavrel/window_flags.h"

namespace tavrel {

class ReadoutPanel final : public SampleListener {
  public:
    ReadoutPanel(ReadoutDisplay& window, const WindowFlags& flags);

    void OnSample(const Sample& sample) override;
    // A hidden window's read-outs wait for Refresh.
    bool Settled() const override { return !flags_.WindowShown(); }
    // Brings the read-outs up to date at once, for a window that has just been shown: while
    // it is hidden the samples leave them alone.
    void Refresh();

    std::int32_t clickTotal() const { return clickTotal_; }
    std::int32_t doubleClickTotal() const { return doubleClickTotal_; }

  private:
    static constexpr int kTextSize = 48;  // the widest: a float's 39 digits and sign

    // What a read-out shows, and the value it was formatted from.
    struct Shown {
        bool set;
        std::uint64_t value;
        char text[kTextSize];
    };

    void Show(const Sample& sample);
    void ShowValue(Readout readout, std::uint64_t value, const char* format, ...);

    ReadoutDisplay& window_;
    const WindowFlags& flags_;
    std::int32_t clickTotal_ = 0;
    std::int32_t doubleClickTotal_ = 0;
    bool haveSample_ = false;
    Sample last_{};
    Shown shown_[kReadoutCount]{};
};

}  // namespace tavrel
