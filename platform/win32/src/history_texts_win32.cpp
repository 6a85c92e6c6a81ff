// SPDX-License-Identifier: GPL-3.0-or-later
#include "history_texts_win32.h"

#include <shlobj.h>

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

std::wstring WindowsLines(const std::string& text) {
    std::wstring out;
    for (const wchar_t c : Widen(text)) {
        if (c == L'\n') out += L'\r';
        out += c;
    }
    return out;
}

std::string ComputerHostName() {
    wchar_t name[256] = {};
    DWORD size = sizeof name / sizeof name[0];
    if (!GetComputerNameExW(ComputerNameDnsHostname, name, &size)) return {};
    return ToUtf8(name, size);
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
