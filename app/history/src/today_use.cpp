// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/today_use.h"

#include <cstdio>

namespace tavrel {

namespace {

bool SameMinute(const LocalMinute& a, const LocalMinute& b) {
    return a.date == b.date && a.hour == b.hour && a.minute == b.minute &&
           a.utcOffsetMinutes == b.utcOffsetMinutes;
}

bool SameTime(const MinuteTime& a, const MinuteTime& b) {
    return a.active == b.active && a.mouse == b.mouse && a.keyboard == b.keyboard;
}

}  // namespace

void FormatDayTime(int minutes, char (&text)[24]) {
    if (minutes < 60) {
        std::snprintf(text, sizeof text, "%d min", minutes);
    } else if (minutes % 60 == 0) {
        std::snprintf(text, sizeof text, "%d h", minutes / 60);
    } else {
        std::snprintf(text, sizeof text, "%d h %d min", minutes / 60, minutes % 60);
    }
}

TodayUse::TodayUse(const HistoryRecorder& recorder, HistoryFiles& files, SharedHistory* shared)
    : recorder_(recorder), files_(files), shared_(shared) {}

void TodayUse::StartDay(const LocalDate& date) {
    day_.Start(date);
    others_.Start(date);
    // The minutes of today's earlier runs: a few kilobytes at the end of this month's file.
    AddDayMinutes(files_, day_);
    if (shared_ != nullptr) shared_->SetDay(date);
}

void TodayUse::OnSample(const Sample& sample) {
    if (sample.closing) return;
    MinuteRecord open;
    if (!recorder_.CurrentMinute(open)) return;
    const MinuteTime time =
        TimeOfCounts(open.keys, open.clicks, open.doubleClicks, open.movePx, open.dragPx);
    const bool newMinute = !started_ || !SameMinute(open.minute, open_);
    if (!newMinute && SameTime(time, openTime_)) return;  // the usual tick: nothing new
    if (newMinute) {
        // The minute that ended is in the files now, as the recorder wrote it.
        if (started_ && open_.date == day_.date) day_.Add(open_.MinuteOfDay(), openTime_);
        if (!started_ || open.minute.date != day_.date) StartDay(open.minute.date);
        started_ = true;
        open_ = open.minute;
        if (shared_ != nullptr && !shared_->folder().empty()) {
            DayMinutes read;
            if (shared_->TakeOthersDay(othersSeen_, read) && read.date == day_.date) others_ = read;
        }
    }
    openTime_ = time;
    Count();
    if (changed_) changed_();
}

void TodayUse::Count() {
    DayMinutes all = day_;
    all.Add(open_.MinuteOfDay(), openTime_);
    // Another computer's minutes count while the history is shared with it.
    if (shared_ != nullptr && !shared_->folder().empty()) all.Add(others_);
    mouse_ = static_cast<int>(all.mouse.count());
    char mouse[24], keyboard[24];
    FormatDayTime(mouse_, mouse);
    FormatDayTime(static_cast<int>(all.keyboard.count()), keyboard);
    std::snprintf(text_, sizeof text_, "Today: mouse %s, keyboard %s", mouse, keyboard);
}

}  // namespace tavrel
