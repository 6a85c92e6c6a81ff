// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/history_recorder.h"

#include <cmath>
#include <limits>

#include "tavrel/pain_model.h"

namespace tavrel {

namespace {

bool SameUtcMinute(const SystemTime& a, const SystemTime& b) {
    return a.minute == b.minute && a.hour == b.hour && a.day == b.day && a.month == b.month &&
           a.year == b.year;
}

std::int32_t Saturate(std::int64_t value) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value > kMax ? kMax : value < kMin ? kMin : value);
}

std::int32_t RoundPixels(double px) {
    return TruncToInt32(std::floor(px + 0.5));
}

}  // namespace

HistoryRecorder::HistoryRecorder(Clock& clock, HistoryWriter& writer, FailureNotice& notice)
    : clock_(clock), writer_(writer), notice_(notice) {}

void HistoryRecorder::Open(const SystemTime& utc) {
    // The offset is asked once a minute; whole-minute offsets change only on a UTC minute
    // boundary. It is applied to the sample's own reading, so the local reading taken a moment
    // later cannot name the next minute.
    const LocalTime local = clock_.LocalNow();
    sums_ = OpenMinute{};
    sums_.minute = LocalMinuteOf(utc, local.utcOffsetMinutes);
    openUtc_ = utc;
    open_ = true;
}

void HistoryRecorder::Add(const Sample& sample) {
    const MDTAG& a = sample.activity;
    sums_.keys += a.keys;
    sums_.clicks += a.clicks;
    sums_.doubleClicks += a.doubleClicks;
    // As in the pain model, a distance that is not above 0 (or not a number) is no movement.
    if (a.moveDistance > 0) sums_.movePx += a.moveDistance;
    if (a.dragDistance > 0) sums_.dragPx += a.dragDistance;
    if (sample.pain > sums_.painMax) sums_.painMax = sample.pain;
    if (sample.alarm) ++sums_.alarmTicks;
    sums_.threshold = sample.threshold;
}

MinuteRecord HistoryRecorder::Close() {
    open_ = false;
    return Summary();
}

bool HistoryRecorder::Settled() const {
    return writer_.pending() == 0 && (!open_ || IsQuietMinute(Summary()));
}

MinuteRecord HistoryRecorder::Summary() const {
    MinuteRecord r;
    r.minute = sums_.minute;
    r.keys = Saturate(sums_.keys);
    r.clicks = Saturate(sums_.clicks);
    r.doubleClicks = Saturate(sums_.doubleClicks);
    r.movePx = RoundPixels(sums_.movePx);
    r.dragPx = RoundPixels(sums_.dragPx);
    r.painMax = TruncToInt32(sums_.painMax);
    r.alarmTicks = sums_.alarmTicks;
    r.threshold = TruncToInt32(sums_.threshold);
    return r;
}

bool HistoryRecorder::Deliver(const MinuteRecord& record) {
    // A quiet minute is left out, but it still gives waiting minutes their chance.
    const std::uint64_t droppedBefore = writer_.dropped();
    const bool written = IsQuietMinute(record) ? writer_.Flush() : writer_.Write(record);
    if (written) failureTold_ = failureLogged_ = false;
    if (log_ != nullptr) {
        if (!written && !failureLogged_) {
            failureLogged_ = true;
            log_->Note("history-write-failed",
                       "the usage history cannot be written; its minutes wait in memory");
        }
        if (writer_.dropped() > droppedBefore) {
            log_->Note("history-dropped",
                       "the oldest unwritten minute of the usage history was dropped");
        }
    }
    return written;
}

void HistoryRecorder::OnSample(const Sample& sample) {
    if (open_ && SameUtcMinute(sample.utc, openUtc_)) {
        Add(sample);
        return;
    }
    const bool finished = open_;
    MinuteRecord record;
    if (finished) record = Close();
    Open(sample.utc);
    Add(sample);
    // Last, with the new minute already open: the box lets further ticks run in here.
    if (!finished || Deliver(record) || failureTold_ || notice_.open()) return;
    failureTold_ = true;
    notice_.Report(kHistoryWriteFailedText);
}

void HistoryRecorder::OnSessionEnd(SessionEnd how) {
    const bool written = open_ ? Deliver(Close()) : writer_.Flush();
    if (!written && log_ != nullptr) {
        log_->Note("history-lost", "the usage history's unwritten minutes are lost at the end");
    }
    if (!written && how == SessionEnd::Quit) notice_.Report(kHistoryLostText);
}

}  // namespace tavrel
