// Where a window may not bring itself to the front (a Wayland desktop), the alarm also
// reaches the user as a desktop notification with the pain and the threshold, withdrawn once
// the alarm is over, as the caption's flashing ends.
#pragma once

#include "tavrel/sample.h"

namespace tavrel {

class DesktopNotifier {
  public:
    // Shows the notification, replacing the one shown before if it is still there.
    virtual void Notify(const char* summary, const char* body) = 0;
    // Takes the last notification away, if it is still shown.
    virtual void Withdraw() = 0;

  protected:
    ~DesktopNotifier() = default;
};

class AlarmNotifier final : public SampleListener {
  public:
    explicit AlarmNotifier(DesktopNotifier& notifier) : notifier_(notifier) {}

    void OnSample(const Sample& sample) override;
    // Out of an alarm, a quiet tick changes nothing here.
    bool Settled() const override { return !inAlarm_; }

  private:
    DesktopNotifier& notifier_;
    bool inAlarm_ = false;
    char body_[96] = "";
};

}  // namespace tavrel
