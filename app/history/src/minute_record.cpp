// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/minute_record.h"

#include <charconv>
#include <limits>

namespace tavrel {

namespace {

constexpr std::size_t kMinuteFieldLength = 22;  // 2026-12-07T16:05+01:00

char* PutDigits(char* out, int value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return out + width;
}

// Reads exactly `width` decimal digits.
bool TakeDigits(const char* in, int width, int& value) {
    value = 0;
    for (int i = 0; i < width; ++i) {
        if (in[i] < '0' || in[i] > '9') return false;
        value = value * 10 + (in[i] - '0');
    }
    return true;
}

bool ParseLocalMinute(std::string_view text, LocalMinute& minute) {
    if (text.size() != kMinuteFieldLength) return false;
    const char* p = text.data();
    if (p[4] != '-' || p[7] != '-' || p[10] != 'T' || p[13] != ':' || p[19] != ':') {
        return false;
    }
    if (p[16] != '+' && p[16] != '-') return false;
    int offsetHours = 0, offsetMinutes = 0;
    if (!TakeDigits(p, 4, minute.date.year) || !TakeDigits(p + 5, 2, minute.date.month) ||
        !TakeDigits(p + 8, 2, minute.date.day) || !TakeDigits(p + 11, 2, minute.hour) ||
        !TakeDigits(p + 14, 2, minute.minute) || !TakeDigits(p + 17, 2, offsetHours) ||
        !TakeDigits(p + 20, 2, offsetMinutes)) {
        return false;
    }
    if (!IsValidDate(minute.date) || minute.hour > 23 || minute.minute > 59 || offsetMinutes > 59) {
        return false;
    }
    const int offset = offsetHours * 60 + offsetMinutes;
    if (offset > kMaxUtcOffsetMinutes) return false;
    minute.utcOffsetMinutes = p[16] == '-' ? -offset : offset;
    return true;
}

// Takes one decimal field, optionally negative, and the comma after it unless it is the
// line's last. One pass over the bytes: a year of lines is read while the user waits.
// Leading zeros are allowed in any number: once past the range the value stops growing.
bool TakeField(const char*& p, const char* end, std::int32_t& value, bool last) {
    constexpr std::int64_t kBeyond = std::int64_t{1} << 32;
    const bool negative = p < end && *p == '-';
    if (negative) ++p;
    const char* const digits = p;
    std::int64_t magnitude = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p) {
        if (magnitude < kBeyond) magnitude = magnitude * 10 + (*p - '0');
    }
    if (p == digits) return false;
    const std::int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > std::numeric_limits<std::int32_t>::max() ||
        signedValue < std::numeric_limits<std::int32_t>::min()) {
        return false;
    }
    value = static_cast<std::int32_t>(signedValue);
    if (last) return p == end;
    if (p == end || *p != ',') return false;
    ++p;
    return true;
}

}  // namespace

bool IsQuietMinute(const MinuteRecord& r) {
    return r.keys == 0 && r.clicks == 0 && r.doubleClicks == 0 && r.movePx == 0 && r.dragPx == 0 &&
           r.painMax == 0 && r.alarmTicks == 0;
}

std::size_t FormatLocalMinute(const LocalMinute& m, char* out) {
    // Two digits of hours: an offset past the limit would write a line no reader takes.
    const int utcOffset = m.utcOffsetMinutes < -kMaxUtcOffsetMinutes  ? -kMaxUtcOffsetMinutes
                          : m.utcOffsetMinutes > kMaxUtcOffsetMinutes ? kMaxUtcOffsetMinutes
                                                                      : m.utcOffsetMinutes;
    char* p = PutDigits(out, m.date.year, 4);
    *p++ = '-';
    p = PutDigits(p, m.date.month, 2);
    *p++ = '-';
    p = PutDigits(p, m.date.day, 2);
    *p++ = 'T';
    p = PutDigits(p, m.hour, 2);
    *p++ = ':';
    p = PutDigits(p, m.minute, 2);
    const int offset = utcOffset < 0 ? -utcOffset : utcOffset;
    *p++ = utcOffset < 0 ? '-' : '+';
    p = PutDigits(p, offset / 60, 2);
    *p++ = ':';
    p = PutDigits(p, offset % 60, 2);
    return static_cast<std::size_t>(p - out);
}

std::size_t FormatMinuteLine(const MinuteRecord& r, char* out) {
    char* p = out + FormatLocalMinute(r.minute, out);
    char* const end = out + kMaxMinuteLineLength;
    for (const std::int32_t value : {r.keys, r.clicks, r.doubleClicks, r.movePx, r.dragPx,
                                     r.painMax, r.alarmTicks, r.threshold}) {
        *p++ = ',';
        p = std::to_chars(p, end, value).ptr;
    }
    *p++ = '\n';
    return static_cast<std::size_t>(p - out);
}

void AppendMinuteLine(const MinuteRecord& record, std::string& out) {
    char line[kMaxMinuteLineLength];
    out.append(line, FormatMinuteLine(record, line));
}

bool ParseMinuteLine(std::string_view line, MinuteRecord& record) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() <= kMinuteFieldLength || line[kMinuteFieldLength] != ',') return false;
    MinuteRecord r;
    if (!ParseLocalMinute(line.substr(0, kMinuteFieldLength), r.minute)) return false;
    const char* p = line.data() + kMinuteFieldLength + 1;
    const char* const end = line.data() + line.size();
    if (!TakeField(p, end, r.keys, false) || !TakeField(p, end, r.clicks, false) ||
        !TakeField(p, end, r.doubleClicks, false) || !TakeField(p, end, r.movePx, false) ||
        !TakeField(p, end, r.dragPx, false) || !TakeField(p, end, r.painMax, false) ||
        !TakeField(p, end, r.alarmTicks, false) || !TakeField(p, end, r.threshold, true)) {
        return false;
    }
    record = r;
    return true;
}

}  // namespace tavrel
