// SPDX-License-Identifier: GPL-3.0-or-later
#include "notify_icon_win32.h"

#include <cstring>

namespace tavrel::win32 {

NotifyIcon::NotifyIcon() {
    std::memset(&data_, 0, sizeof data_);
}

void NotifyIcon::Show(HWND owner, HICON icon, UINT callbackMessage, const char* tip) {
    // The second form of the record, from Windows 2000 on: a tip of 128 characters, balloons.
    data_.cbSize = NOTIFYICONDATAA_V2_SIZE;
    data_.hWnd = owner;
    data_.uID = 1;
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data_.uCallbackMessage = callbackMessage;
    data_.hIcon = icon;
    lstrcpynA(data_.szTip, tip, static_cast<int>(sizeof data_.szTip));
    if (added_) {
        Shell_NotifyIconA(NIM_MODIFY, &data_);
    } else {
        added_ = Shell_NotifyIconA(NIM_ADD, &data_) != FALSE;
    }
}

void NotifyIcon::Remove() {
    if (!added_) return;
    added_ = false;
    Shell_NotifyIconA(NIM_DELETE, &data_);
}

void NotifyIcon::Balloon(const char* title, const char* text) {
    if (!added_) return;
    NOTIFYICONDATAA balloon = data_;
    balloon.uFlags = NIF_INFO;
    balloon.dwInfoFlags = NIIF_WARNING;
    balloon.uTimeout = 30000;  // older shells only; newer ones keep it their own time
    lstrcpynA(balloon.szInfoTitle, title, static_cast<int>(sizeof balloon.szInfoTitle));
    lstrcpynA(balloon.szInfo, text, static_cast<int>(sizeof balloon.szInfo));
    Shell_NotifyIconA(NIM_MODIFY, &balloon);
}

}  // namespace tavrel::win32
