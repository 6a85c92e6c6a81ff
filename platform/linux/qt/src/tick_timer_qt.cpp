// SPDX-License-Identifier: GPL-3.0-or-later
#include "tick_timer_qt.h"

namespace tavrel::linux_qt {

TickTimerQt::TickTimerQt() {
    // A coarse timer may stretch a period by 5 %, which the tick would count as time.
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kTickPeriodMs);
}

void TickTimerQt::OnTick(std::function<void()> tick) {
    QObject::connect(&timer_, &QTimer::timeout, std::move(tick));
}

bool TickTimerQt::Start() {
    if (!timer_.isActive()) timer_.start();
    return timer_.isActive();
}

void GuiThreadWake::Wake() {
    // Posted, never called here: this runs on the capture thread.
    QMetaObject::invokeMethod(
        &receiver_, [this] { wake_(); }, Qt::QueuedConnection);
}

}  // namespace tavrel::linux_qt
