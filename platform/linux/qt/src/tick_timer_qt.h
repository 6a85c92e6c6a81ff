// SPDX-License-Identifier: GPL-3.0-or-later
// The tick's timer on a Qt desktop: a precise 50 ms QTimer on the GUI thread.
#pragma once

#include <functional>

#include <QTimer>

#include "tavrel/tick_timer.h"
#include "tavrel/wake_latch.h"

namespace tavrel::linux_qt {

class TickTimerQt final : public TickTimer {
  public:
    TickTimerQt();

    // What each expiry runs; set once, before Start.
    void OnTick(std::function<void()> tick);

    bool Start() override;
    void Stop() override { timer_.stop(); }

  private:
    QTimer timer_;
};

// Carries a capture thread's wake-up to the GUI thread through its event loop.
class GuiThreadWake final : public WakeTarget {
  public:
    // What runs on the GUI thread; set once, before the source can wake.
    void OnWake(std::function<void()> wake) { wake_ = std::move(wake); }
    void Wake() override;

  private:
    QObject receiver_;  // lives on the GUI thread
    std::function<void()> wake_;
};

}  // namespace tavrel::linux_qt
