// The tick's timer on a Qt desktop: a precise 50 ms QTimer on the GUI thread.
#pragma once

#include <functional>

#include <QTimer>

#include "tavrel/tick_timer.h"

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

}  // namespace tavrel::linux_qt
