// SPDX-License-Identifier: GPL-3.0-or-later
// Today's time at the mouse and at the keyboard: this computer's minutes as they happen, from
// the minute the recorder has open and those it wrote today, and the other computers' sharing
// the history as their files say. For the tray tip, the window and the daily mouse limit.
#pragma once

#include <cstdint>
#include <functional>

#include "tavrel/day_minutes.h"
#include "tavrel/history_files.h"
#include "tavrel/history_recorder.h"
#include "tavrel/sample.h"
#include "tavrel/shared_history.h"

namespace tavrel {

class TodayUse final : public SampleListener {
  public:
    // Hears each sample after the recorder. `files`: today's minutes of earlier runs; `shared`
    // (may be null): the other computers'. All outlive it.
    TodayUse(const HistoryRecorder& recorder, HistoryFiles& files, SharedHistory* shared);

    // Called whenever a minute ends and whenever the figures change, on the GUI thread.
    void OnChange(std::function<void()> changed) { changed_ = std::move(changed); }

    void OnSample(const Sample& sample) override;
    bool Settled() const override { return true; }

    const LocalDate& day() const { return day_.date; }
    int mouseMinutes() const { return mouse_; }
    // "Today: mouse 2 h 15 min, keyboard 1 h 40 min"; empty before the first sample.
    const char* text() const { return text_; }

  private:
    void StartDay(const LocalDate& date);
    void Count();

    const HistoryRecorder& recorder_;
    HistoryFiles& files_;
    SharedHistory* shared_;
    std::function<void()> changed_;
    DayMinutes day_;     // this computer's written minutes of the day
    DayMinutes others_;  // the other computers'
    std::uint64_t othersSeen_ = 0;
    LocalMinute open_{};  // the recorder's open minute, as last seen
    MinuteTime openTime_;
    bool started_ = false;
    int mouse_ = 0;
    char text_[80] = "";
};

// "2 h 15 min", "45 min", "0 min".
void FormatDayTime(int minutes, char (&text)[24]);

}  // namespace tavrel
