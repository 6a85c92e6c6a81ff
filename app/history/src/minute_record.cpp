#include "tavrel/minute_record.h"

#include <charconv>
#include <system_error>

namespace tavrel {

namespace {

constexpr std::size_t kMinuteFieldLength = 22;  // 2026-12-07T16:05+01:00
constexpr int kMaxOffsetMinutes = 18 * 60;

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
    if (offset > kMaxOffsetMinutes) return false;
    minute.utcOffsetMinutes = p[16] == '-' ? -offset : offset;
    return true;
}

// Takes one decimal field ending at the next comma or at the end; leaves `text` after it.
bool TakeField(std::string_view& text, std::int32_t& value, bool last) {
    const std::size_t comma = text.find(',');
    if (last != (comma == std::string_view::npos)) return false;
    const std::string_view field = text.substr(0, comma);
    if (field.empty()) return false;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (error != std::errc() || end != field.data() + field.size()) return false;
    text.remove_prefix(last ? text.size() : comma + 1);
    return true;
}

}  // namespace

bool IsQuietMinute(const MinuteRecord& r) {
    return r.keys == 0 && r.clicks == 0 && r.doubleClicks == 0 && r.movePx == 0 && r.dragPx == 0 &&
           r.painMax == 0 && r.alarmTicks == 0;
}

std::size_t FormatLocalMinute(const LocalMinute& m, char* out) {
    char* p = PutDigits(out, m.date.year, 4);
    *p++ = '-';
    p = PutDigits(p, m.date.month, 2);
    *p++ = '-';
    p = PutDigits(p, m.date.day, 2);
    *p++ = 'T';
    p = PutDigits(p, m.hour, 2);
    *p++ = ':';
    p = PutDigits(p, m.minute, 2);
    const int offset = m.utcOffsetMinutes < 0 ? -m.utcOffsetMinutes : m.utcOffsetMinutes;
    *p++ = m.utcOffsetMinutes < 0 ? '-' : '+';
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
    const std::size_t comma = line.find(',');
    if (comma == std::string_view::npos) return false;
    MinuteRecord r;
    if (!ParseLocalMinute(line.substr(0, comma), r.minute)) return false;
    std::string_view rest = line.substr(comma + 1);
    std::int32_t* const fields[] = {&r.keys,   &r.clicks,  &r.doubleClicks, &r.movePx,
                                    &r.dragPx, &r.painMax, &r.alarmTicks,   &r.threshold};
    constexpr int kCount = sizeof(fields) / sizeof(fields[0]);
    for (int i = 0; i < kCount; ++i) {
        if (!TakeField(rest, *fields[i], i == kCount - 1)) return false;
    }
    record = r;
    return true;
}

}  // namespace tavrel
