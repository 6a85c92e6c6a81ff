// SPDX-License-Identifier: GPL-3.0-or-later
// Layout at any DPI. The x64 release is per-monitor DPI aware: Windows tells each window its
// monitor's DPI when it moves (WM_DPICHANGED) and leaves the rescaling to the program. Dialogs
// are rescaled here rather than by the dialog manager, so that one way runs everywhere, and
// labels that a face's letters make wider than the template planned grow to show whole.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "handles_win32.h"

namespace tavrel::win32 {

constexpr UINT kDpiChangedMessage = 0x02E0;  // WM_DPICHANGED, Windows 8.1 and later

// The DPI of the monitor the window is on (the system's for an unaware process).
UINT DpiOf(HWND hwnd);

// The message font of the desktop's metrics at the DPI, for windows made in code.
LOGFONTW MessageFontForDpi(UINT dpi);

// The message font at the DPI, given to the window's children; also its face and line height.
GdiObject<HFONT> UseMessageFont(HWND window, UINT dpi, std::wstring& face, int& lineHeight);

// Gives a window the suggested rectangle, or without one scales its size by dpi / old.
void ResizeForDpi(HWND window, UINT dpi, UINT old, const RECT* suggested);

// Widens every static text whose text is wider than the control, on the side away from its
// alignment and no further than the parent's client area.
void FitStaticTexts(HWND parent);

// A dialog's layout as its template made it, rescaled for each new DPI.
class DialogDpiLayout {
  public:
    // At WM_INITDIALOG: takes the dialog's controls and font as laid out for its DPI now.
    void Attach(HWND dialog);
    // WM_DPICHANGED: the new DPI and the window rectangle Windows suggests (none: keep the
    // top-left corner and scale the size).
    void OnDpiChanged(UINT dpi, const RECT* suggested);
    UINT dpi() const { return dpi_; }

  private:
    struct Placed {
        HWND control;
        RECT rect;  // in the dialog's client coordinates at the attach DPI
    };
    HWND dialog_ = nullptr;
    UINT attachDpi_ = 96;
    UINT dpi_ = 96;
    SIZE attachClient_{};
    LOGFONTW attachFont_{};
    bool haveFont_ = false;
    std::vector<Placed> controls_;
    GdiObject<HFONT> font_;  // the font for the DPI now, when not the template's
};

}  // namespace tavrel::win32
