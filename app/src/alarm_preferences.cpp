// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/alarm_preferences.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace tavrel {

namespace {

constexpr char kMain[] = "Main";
constexpr std::int64_t kMinuteMs = 60000;
constexpr std::int64_t kDayMs = 24 * 60 * kMinuteMs;
// The longest pause is until midnight; a day of daylight-saving change may make it an hour
// longer.
constexpr std::int64_t kLongestPauseMs = kDayMs + 60 * kMinuteMs;

bool ReadNumber(const char* text, int digits, int& value) {
    value = 0;
    for (int i = 0; i < digits; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

std::int64_t LocalMsOf(const LocalTime& local) {
    return EpochMsOf(local.time);
}

}  // namespace

bool ParsePauseEnd(const char* text, std::int64_t& epochMs) {
    if (text == nullptr || std::strlen(text) != 20) return false;
    static const char kShape[] = "0000-00-00T00:00:00Z";
    for (int i = 0; i < 20; ++i) {
        if (kShape[i] != '0' && text[i] != kShape[i]) return false;
    }
    int y, mo, d, h, mi, s;
    if (!ReadNumber(text, 4, y) || !ReadNumber(text + 5, 2, mo) || !ReadNumber(text + 8, 2, d) ||
        !ReadNumber(text + 11, 2, h) || !ReadNumber(text + 14, 2, mi) ||
        !ReadNumber(text + 17, 2, s)) {
        return false;
    }
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59) return false;
    SystemTime t{};
    t.year = static_cast<std::uint16_t>(y);
    t.month = static_cast<std::uint16_t>(mo);
    t.day = static_cast<std::uint16_t>(d);
    t.hour = static_cast<std::uint16_t>(h);
    t.minute = static_cast<std::uint16_t>(mi);
    t.second = static_cast<std::uint16_t>(s);
    epochMs = EpochMsOf(t);
    // A day that the month does not have (February 30th) comes back as another date.
    const SystemTime back = UtcOfEpochMs(epochMs);
    return back.day == t.day && back.month == t.month;
}

void FormatPauseEnd(std::int64_t epochMs, char (&text)[40]) {
    const SystemTime t = UtcOfEpochMs(epochMs);
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02uZ", t.year % 10000u,
                  static_cast<unsigned>(t.month), static_cast<unsigned>(t.day),
                  static_cast<unsigned>(t.hour), static_cast<unsigned>(t.minute),
                  static_cast<unsigned>(t.second));
}

AlarmPreferences::AlarmPreferences(SettingsStore& store, Clock& clock, FailureNotice& notice)
    : store_(store), clock_(clock), notice_(notice) {}

void AlarmPreferences::Load() {
    bringToFront_ = store_.ReadInt(kMain, kAlarmToFrontKey, 1) != 0;
    const std::string text = store_.ReadString(kMain, kPausedUntilKey, "");
    std::int64_t end = 0;
    const std::int64_t now = EpochMsOf(clock_.UtcNow());
    if (ParsePauseEnd(text.c_str(), end) && end > now && end - now <= kLongestPauseMs) {
        SetPauseEnd(end);
    } else {
        SetPauseEnd(0);
        // Nothing is ever deleted from a store: an empty text is no pause.
        if (!text.empty()) store_.WriteString(kMain, kPausedUntilKey, "");
    }
}

void AlarmPreferences::SetBringToFront(bool on) {
    bringToFront_ = on;
    if (!store_.WriteInt(kMain, kAlarmToFrontKey, on ? 1 : 0)) notice_.Report();
}

void AlarmPreferences::Pause(PauseLength length) {
    const LocalTime local = clock_.LocalNow();
    const std::int64_t now = LocalMsOf(local) - local.utcOffsetMinutes * kMinuteMs;
    std::int64_t end = now;
    switch (length) {
        case PauseLength::ThirtyMinutes:
            end = now + 30 * kMinuteMs;
            break;
        case PauseLength::OneHour:
            end = now + 60 * kMinuteMs;
            break;
        case PauseLength::UntilTomorrow: {
            const std::int64_t localMs = LocalMsOf(local);
            const std::int64_t midnight = (localMs / kDayMs + 1) * kDayMs;
            end = midnight - local.utcOffsetMinutes * kMinuteMs;
            break;
        }
    }
    SetPauseEnd(end);
    char text[40];
    FormatPauseEnd(end, text);
    Write(kPausedUntilKey, text);
}

void AlarmPreferences::Resume() {
    if (pausedUntilMs_ == 0) return;
    SetPauseEnd(0);
    Write(kPausedUntilKey, "");
}

bool AlarmPreferences::PausedAt(const SystemTime& utc) {
    if (pausedUntilMs_ == 0) return false;
    const std::int64_t now = EpochMsOf(utc);
    if (now < pausedUntilMs_ && pausedUntilMs_ - now <= kLongestPauseMs) return true;
    SetPauseEnd(0);
    // Ended by itself: failing to note it in the store only costs a check at the next start.
    store_.WriteString(kMain, kPausedUntilKey, "");
    return false;
}

void AlarmPreferences::SetPauseEnd(std::int64_t epochMs) {
    pausedUntilMs_ = epochMs;
    untilText_[0] = '\0';
    if (epochMs == 0) return;
    const LocalTime local = clock_.LocalNow();
    const SystemTime end = UtcOfEpochMs(epochMs + local.utcOffsetMinutes * kMinuteMs);
    if (end.hour == 0 && end.minute == 0) {
        std::snprintf(untilText_, sizeof untilText_, "midnight");
    } else {
        std::snprintf(untilText_, sizeof untilText_, "%02u:%02u", static_cast<unsigned>(end.hour),
                      static_cast<unsigned>(end.minute));
    }
}

void AlarmPreferences::Write(const char* key, const char* text) {
    if (!store_.WriteString(kMain, key, text)) notice_.Report();
}

}  // namespace tavrel
