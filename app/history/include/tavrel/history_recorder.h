// SPDX-License-Identifier: GPL-3.0-or-later
// Listens to the tick and sums each local minute: keys, clicks, double-clicks, move and drag
// distance, the highest pain, the ticks in alarm and the threshold in force. A finished minute
// goes to the writer; the open one at the end of the session.
#pragma once

#include <cstdint>

#include "tavrel/clock.h"
#include "tavrel/diagnostics_log.h"
#include "tavrel/failure_notice.h"
#include "tavrel/history_writer.h"
#include "tavrel/minute_record.h"
#include "tavrel/sample.h"

namespace tavrel {

constexpr char kHistoryWriteFailedText[] =
    "Can't write the usage history. Tavrel keeps the unwritten minutes and writes them when "
    "it can.";
constexpr char kHistoryLostText[] =
    "Can't write the usage history. The minutes not yet written are lost.";

class HistoryRecorder final : public SampleListener {
  public:
    // All three outlive the recorder; the notice is the one the totals use.
    HistoryRecorder(Clock& clock, HistoryWriter& writer, FailureNotice& notice);
    HistoryRecorder(const HistoryRecorder&) = delete;
    HistoryRecorder& operator=(const HistoryRecorder&) = delete;

    // Where failed and dropped writes are noted; none by default. Outlives the recorder.
    void SetLog(DiagnosticsLog* log) { log_ = log; }

    void OnSample(const Sample& sample) override;
    // The minute open now, as it would be written; false before the first sample.
    bool CurrentMinute(MinuteRecord& record) const {
        if (open_) record = Summary();
        return open_;
    }
    // Nothing waits to be written and the open minute, quiet so far, would be left out.
    bool Settled() const override;
    // Writes the open minute and whatever waits. At Quit a failure is told (those minutes are
    // lost); at logoff nothing may wait for the user.
    void OnSessionEnd(SessionEnd how) override;

  private:
    struct OpenMinute {
        LocalMinute minute;
        std::int64_t keys, clicks, doubleClicks;
        double movePx, dragPx;
        float painMax;
        std::int32_t alarmTicks;
        float threshold;
    };

    void Open(const SystemTime& utc);
    void Add(const Sample& sample);
    MinuteRecord Summary() const;
    MinuteRecord Close();
    bool Deliver(const MinuteRecord& record);

    Clock& clock_;
    HistoryWriter& writer_;
    FailureNotice& notice_;
    bool open_ = false;
    SystemTime openUtc_{};  // the UTC reading that opened the minute
    OpenMinute sums_{};
    bool failureTold_ = false;  // until a write succeeds again
    DiagnosticsLog* log_ = nullptr;
    bool failureLogged_ = false;  // until a write succeeds again
};

}  // namespace tavrel
