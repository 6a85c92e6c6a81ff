// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarm_status_line_win32.h"

#include <cstring>

namespace tavrel::win32 {

namespace {
// In dialog units.
constexpr int kMargin = 4, kLeft = 7, kWidth = 198;
}  // namespace

void AlarmStatusLine::Create(HWND dialog) {
    RECT place{kLeft, place_.top, kLeft + kWidth, place_.top + place_.height};
    MapDialogRect(dialog, &place);
    line_ = CreateWindowExA(
        0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, place.left, place.top,
        place.right - place.left, place.bottom - place.top, dialog,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(place_.controlId)),
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE)), nullptr);
    if (line_ == nullptr) return;
    SendMessageA(line_, WM_SETFONT, SendMessageA(dialog, WM_GETFONT, 0, 0), FALSE);

    // The window grows by what the line needs below the client area.
    RECT bottom{0, 0, 0, place_.top + place_.height + kMargin};
    MapDialogRect(dialog, &bottom);
    RECT client, window;
    GetClientRect(dialog, &client);
    GetWindowRect(dialog, &window);
    const int grow = bottom.bottom - client.bottom;
    if (grow <= 0) return;
    SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left,
                 window.bottom - window.top + grow, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void AlarmStatusLine::Set(const char* text) {
    if (line_ == nullptr) return;
    char now[256];
    GetWindowTextA(line_, now, sizeof now);
    if (std::strcmp(now, text) == 0) return;
    SetWindowTextA(line_, text);
}

}  // namespace tavrel::win32
