// SPDX-License-Identifier: GPL-3.0-or-later
#include "dpi_win32.h"

#include <algorithm>

namespace tavrel::win32 {

namespace {

// Functions of Windows 10 1607 and later, looked up so that the program still starts where
// they are missing.
template <class Function>
Function User32Function(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}
using DpiForWindowFunction = UINT(WINAPI*)(HWND);
using MetricsForDpiFunction = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
using AdjustForDpiFunction = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
using DialogBehaviorFunction = BOOL(WINAPI*)(HWND, int, int);
constexpr int kDialogDpiChangeDisableAll = 1;  // DDC_DISABLE_ALL

int Scaled(int value, UINT to, UINT from) {
    return MulDiv(value, static_cast<int>(to), static_cast<int>(from));
}

bool RightAligned(HWND control) {
    const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
    const LONG_PTR exStyle = GetWindowLongPtrW(control, GWL_EXSTYLE);
    return (style & SS_TYPEMASK) == SS_RIGHT || (exStyle & WS_EX_RIGHT) != 0;
}

bool IsTextStatic(HWND control) {
    wchar_t cls[16] = {};
    GetClassNameW(control, cls, 16);
    if (lstrcmpiW(cls, L"Static") != 0) return false;
    const LONG_PTR type = GetWindowLongPtrW(control, GWL_STYLE) & SS_TYPEMASK;
    return type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_LEFTNOWORDWRAP;
}

// Width in pixels of the control's text on one line, in its own font.
int TextWidth(HWND control) {
    wchar_t text[256] = {};
    const int length = GetWindowTextW(control, text, 256);
    if (length == 0) return 0;
    HDC dc = GetDC(control);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    RECT r{0, 0, 0, 0};
    UINT format = DT_CALCRECT | DT_SINGLELINE;
    if (GetWindowLongPtrW(control, GWL_STYLE) & SS_NOPREFIX) format |= DT_NOPREFIX;
    DrawTextW(dc, text, length, &r, format);
    if (old) SelectObject(dc, old);
    ReleaseDC(control, dc);
    return r.right - r.left;
}

}  // namespace

UINT DpiOf(HWND hwnd) {
    static const auto dpiForWindow = User32Function<DpiForWindowFunction>("GetDpiForWindow");
    if (dpiForWindow != nullptr && hwnd != nullptr) {
        const UINT dpi = dpiForWindow(hwnd);
        if (dpi > 0) return dpi;
    }
    HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

LOGFONTW MessageFontForDpi(UINT dpi) {
    static const auto metricsForDpi =
        User32Function<MetricsForDpiFunction>("SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (metricsForDpi != nullptr &&
        metricsForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)) {
        return metrics.lfMessageFont;
    }
    LOGFONTW font{};
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        font = metrics.lfMessageFont;
    } else {
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    }
    // The metrics are the system DPI's: scale them to the window's.
    const UINT system = DpiOf(nullptr);
    if (system != dpi) font.lfHeight = Scaled(font.lfHeight, dpi, system);
    return font;
}

GdiObject<HFONT> UseMessageFont(HWND window, UINT dpi, std::wstring& face, int& lineHeight) {
    const LOGFONTW font = MessageFontForDpi(dpi);
    GdiObject<HFONT> handle(CreateFontIndirectW(&font));
    face = font.lfFaceName;
    HDC dc = GetDC(window);
    {
        Selection selected(dc, handle.get());
        TEXTMETRICW text{};
        if (GetTextMetricsW(dc, &text)) lineHeight = text.tmHeight;
    }
    ReleaseDC(window, dc);
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(handle.get()), FALSE);
    }
    return handle;
}

void ResizeForDpi(HWND window, UINT dpi, UINT old, const RECT* suggested) {
    RECT frame;
    GetWindowRect(window, &frame);
    if (suggested != nullptr) {
        frame = *suggested;
    } else if (old != 0) {
        frame.right = frame.left + Scaled(frame.right - frame.left, dpi, old);
        frame.bottom = frame.top + Scaled(frame.bottom - frame.top, dpi, old);
    }
    SetWindowPos(window, nullptr, frame.left, frame.top, frame.right - frame.left,
                 frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void FitStaticTexts(HWND parent) {
    RECT client;
    GetClientRect(parent, &client);
    for (HWND control = GetWindow(parent, GW_CHILD); control != nullptr;
         control = GetWindow(control, GW_HWNDNEXT)) {
        if (!IsTextStatic(control)) continue;
        RECT inside;
        GetClientRect(control, &inside);
        const int missing = TextWidth(control) - (inside.right - inside.left);
        if (missing <= 0) continue;
        RECT rect;
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
        const int grow = missing + 1;
        if (RightAligned(control)) {
            rect.left = std::max<LONG>(client.left, rect.left - grow);
        } else if ((GetWindowLongPtrW(control, GWL_STYLE) & SS_TYPEMASK) == SS_CENTER) {
            rect.left = std::max<LONG>(client.left, rect.left - grow / 2);
            rect.right = std::min<LONG>(client.right, rect.right + grow - grow / 2);
        } else {
            rect.right = std::min<LONG>(client.right, rect.right + grow);
        }
        MoveWindow(control, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                   FALSE);
    }
    InvalidateRect(parent, nullptr, TRUE);
}

void DialogDpiLayout::Attach(HWND dialog) {
    // One way of rescaling on every system: the dialog manager's own is turned off.
    static const auto behavior =
        User32Function<DialogBehaviorFunction>("SetDialogDpiChangeBehavior");
    if (behavior != nullptr) {
        behavior(dialog, kDialogDpiChangeDisableAll, kDialogDpiChangeDisableAll);
    }
    dialog_ = dialog;
    attachDpi_ = dpi_ = DpiOf(dialog);
    RECT client;
    GetClientRect(dialog, &client);
    attachClient_ = {client.right - client.left, client.bottom - client.top};
    const auto font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    haveFont_ = font != nullptr && GetObjectW(font, sizeof attachFont_, &attachFont_) != 0;
    controls_.clear();
    for (HWND control = GetWindow(dialog, GW_CHILD); control != nullptr;
         control = GetWindow(control, GW_HWNDNEXT)) {
        RECT rect;
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        controls_.push_back({control, rect});
    }
    FitStaticTexts(dialog);
}

void DialogDpiLayout::OnDpiChanged(UINT dpi, const RECT* suggested) {
    if (dialog_ == nullptr || dpi == 0 || dpi == dpi_) return;
    dpi_ = dpi;
    GdiObject<HFONT> next;
    if (haveFont_) {
        LOGFONTW font = attachFont_;
        font.lfHeight = Scaled(attachFont_.lfHeight, dpi, attachDpi_);
        font.lfWidth = Scaled(attachFont_.lfWidth, dpi, attachDpi_);
        next = GdiObject<HFONT>(CreateFontIndirectW(&font));
    }
    // From the template's places each time, so that moving back and forth adds no rounding.
    for (const Placed& placed : controls_) {
        const RECT& r = placed.rect;
        const int left = Scaled(r.left, dpi, attachDpi_);
        const int top = Scaled(r.top, dpi, attachDpi_);
        MoveWindow(placed.control, left, top, Scaled(r.right, dpi, attachDpi_) - left,
                   Scaled(r.bottom, dpi, attachDpi_) - top, FALSE);
        if (next.get() != nullptr) {
            SendMessageW(placed.control, WM_SETFONT, reinterpret_cast<WPARAM>(next.get()), FALSE);
        }
    }
    if (next.get() != nullptr) font_ = std::move(next);

    RECT frame;
    if (suggested != nullptr) {
        frame = *suggested;
    } else {
        RECT now;
        GetWindowRect(dialog_, &now);
        frame = {0, 0, Scaled(attachClient_.cx, dpi, attachDpi_),
                 Scaled(attachClient_.cy, dpi, attachDpi_)};
        static const auto adjustForDpi =
            User32Function<AdjustForDpiFunction>("AdjustWindowRectExForDpi");
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(dialog_, GWL_STYLE));
        const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(dialog_, GWL_EXSTYLE));
        if (adjustForDpi == nullptr || !adjustForDpi(&frame, style, FALSE, exStyle, dpi)) {
            AdjustWindowRectEx(&frame, style, FALSE, exStyle);
        }
        OffsetRect(&frame, now.left - frame.left, now.top - frame.top);
    }
    SetWindowPos(dialog_, nullptr, frame.left, frame.top, frame.right - frame.left,
                 frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
    FitStaticTexts(dialog_);
}

}  // namespace tavrel::win32
