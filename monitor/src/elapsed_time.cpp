#include "tavrel/elapsed_time.h"

namespace tavrel {

SampleInterval MeasureInterval(const SystemTime& last, const SystemTime& now) {
    int borrow = 0;
    int ms = now.milliseconds - last.milliseconds;
    if (ms < 0) {
        ms += 1000;
        borrow = 1;
    }
    int s = now.second - borrow - last.second;
    borrow = 0;
    if (s < 0) {
        s += 60;
        borrow = 1;
    }
    // The minute and hour differences only pass their borrows on.
    const int minutes = now.minute - borrow - last.minute;
    borrow = minutes < 0 ? 1 : 0;
    const int hours = now.hour - borrow - last.hour;
    borrow = hours < 0 ? 1 : 0;
    const int days = now.day - borrow - last.day;

    // A new month, or a clock set back to an earlier day or time of the same day.
    if (days < 0 || days > 31) return {true, 0};
    return {false, s * 1000 + ms};
}

}  // namespace tavrel
