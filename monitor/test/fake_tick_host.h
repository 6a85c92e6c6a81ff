// A tick host for tests: a clock the test sets, an activity record the test fills, and a log
// of every effect the tick asks for.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tavrel/tick_host.h"

namespace tavrel::test {

inline SystemTime At(int day, int hour, int minute, int second, int ms, int month = 6,
                     int year = 2024) {
    SystemTime t{};
    t.year = static_cast<std::uint16_t>(year);
    t.month = static_cast<std::uint16_t>(month);
    t.day = static_cast<std::uint16_t>(day);
    t.hour = static_cast<std::uint16_t>(hour);
    t.minute = static_cast<std::uint16_t>(minute);
    t.second = static_cast<std::uint16_t>(second);
    t.milliseconds = static_cast<std::uint16_t>(ms);
    return t;
}

// Moves a reading on within one 30-day month, which is all the tests need.
inline SystemTime Later(SystemTime t, int ms) {
    long total = ((((t.day - 1) * 24L + t.hour) * 60 + t.minute) * 60 + t.second) * 1000L +
                 t.milliseconds + ms;
    t.milliseconds = static_cast<std::uint16_t>(total % 1000);
    total /= 1000;
    t.second = static_cast<std::uint16_t>(total % 60);
    total /= 60;
    t.minute = static_cast<std::uint16_t>(total % 60);
    total /= 60;
    t.hour = static_cast<std::uint16_t>(total % 24);
    t.day = static_cast<std::uint16_t>(total / 24 + 1);
    return t;
}

class FakeTickHost : public TickHost {
  public:
    SystemTime now = At(10, 12, 0, 0, 0);
    int advanceOnNow = 0;  // ms the clock moves on after each reading
    MDTAG pending{};       // handed out, then cleared, by the next TakeActivity

    int nowCalls = 0, takes = 0, raises = 0, hides = 0, flashesOn = 0, flashesOff = 0;
    std::vector<TrayIcon> trayIcons;
    std::vector<std::pair<int, std::string>> readoutLog;
    std::map<int, std::string> readouts;  // last text per control
    std::vector<std::string> messages;
    std::function<void()> onMessage;  // runs while a message "waits"

    SystemTime Now() override {
        ++nowCalls;
        const SystemTime reading = now;
        now = Later(now, advanceOnNow);
        return reading;
    }
    void TakeActivity(MDTAG& record) override {
        ++takes;
        record = pending;
        pending = MDTAG{};
    }
    void RaiseWindow() override { ++raises; }
    void HideWindowToBottom() override { ++hides; }
    void FlashCaption(bool invert) override { ++(invert ? flashesOn : flashesOff); }
    void SetTrayIcon(TrayIcon icon) override { trayIcons.push_back(icon); }
    void SetReadout(int controlId, const char* text) override {
        readoutLog.emplace_back(controlId, text);
        readouts[controlId] = text;
    }
    void ShowMessage(const char* text) override {
        messages.emplace_back(text);
        if (onMessage) onMessage();
    }
};

}  // namespace tavrel::test
