// SPDX-License-Identifier: GPL-3.0-or-later
// Tells the user of a failed write: one box at a time, whatever reports it.
#pragma once

#include "tavrel/main_window.h"

namespace tavrel {

constexpr char kWriteFailedText[] = "Can't write to INI file?";

class FailureNotice {
  public:
    explicit FailureNotice(MessageBoxes& boxes) : boxes_(boxes) {}
    FailureNotice(const FailureNotice&) = delete;
    FailureNotice& operator=(const FailureNotice&) = delete;

    // Shows the text unless a box of this notice is already open: the ticks that run while
    // it waits must not stack more boxes on it.
    void Report(const char* text = kWriteFailedText) {
        if (open_) return;
        open_ = true;
        boxes_.ShowMessage(text);
        open_ = false;
    }
    bool open() const { return open_; }

  private:
    MessageBoxes& boxes_;
    bool open_ = false;
};

}  // namespace tavrel
