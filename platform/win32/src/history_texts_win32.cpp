#include "history_texts_win32.h"

#include <shlobj.h>

#include <algorithm>
#include <system_error>

#include "plot_painter_win32.h"

namespace tavrel::win32 {

namespace {
using DpiForWindowFunction = UINT(WINAPI*)(HWND);
}  // namespace

double WindowDpi(HWND hwnd) {
    static const auto dpiForWindow = reinterpret_cast<DpiForWindowFunction>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (dpiForWindow != nullptr && hwnd != nullptr) {
        const UINT dpi = dpiForWindow(hwnd);
        if (dpi > 0) return dpi;
    }
    HDC dc = GetDC(hwnd);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(hwnd, dc);
    return dpi > 0 ? dpi : 96;
}

double ScreenDpi() {
    HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(nullptr, dc);
    return dpi;
}

std::wstring DateText(const LocalDate& date) {
    wchar_t text[16];
    wsprintfW(text, L"%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

std::wstring WeekdayText(const LocalDate& date) {
    static const wchar_t* const kNames[] = {L"Thursday", L"Friday",  L"Saturday", L"Sunday",
                                            L"Monday",   L"Tuesday", L"Wednesday"};
    const std::int32_t number = DayNumber(date);  // day 0 was a Thursday
    return kNames[((number % 7) + 7) % 7];
}

DayTotals SumOfDays(const std::vector<DayTotals>& days) {
    DayTotals sum;
    if (!days.empty()) sum.date = days.back().date;
    for (const DayTotals& d : days) {
        sum.keys += d.keys;
        sum.clicks += d.clicks;
        sum.doubleClicks += d.doubleClicks;
        sum.movePx += d.movePx;
        sum.dragPx += d.dragPx;
        sum.painMax = std::max(sum.painMax, d.painMax);
        sum.alarms += d.alarms;
        sum.alarmTicks += d.alarmTicks;
        sum.activeMinutes += d.activeMinutes;
    }
    return sum;
}

std::wstring WindowsLines(const std::string& text) {
    std::wstring out;
    for (const wchar_t c : Widen(text)) {
        if (c == L'\n') out += L'\r';
        out += c;
    }
    return out;
}

std::filesystem::path LocalHistoryFolder() {
    wchar_t base[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                                SHGFP_TYPE_CURRENT, base))) {
        return {};
    }
    std::filesystem::path folder = std::filesystem::path(base) / L"Tavrel" / L"history";
    std::error_code ignored;  // the first append tries again
    std::filesystem::create_directories(folder, ignored);
    return folder;
}

}  // namespace tavrel::win32
