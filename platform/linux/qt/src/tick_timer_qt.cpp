#include "tick_timer_qt.h"

namespace tavrel::linux_qt {

namespace {
constexpr int kTickPeriodMs = 50;
}  // namespace

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

}  // namespace tavrel::linux_qt
