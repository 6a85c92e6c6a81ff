// SPDX-License-Identifier: GPL-3.0-or-later
// The program's icon in the notification area with its tip, and the balloon beside it that
// Windows 10 and 11 show as a toast: the alarm's notification where the user chose it
// instead of the window.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include "tavrel/alarm_notifier.h"

namespace tavrel::win32 {

// The notification-area record; removed at the latest when the owner goes.
class NotifyIcon {
  public:
    NotifyIcon();
    ~NotifyIcon() { Remove(); }
    NotifyIcon(const NotifyIcon&) = delete;
    NotifyIcon& operator=(const NotifyIcon&) = delete;
    // Adds the icon, or modifies it once added; after a shell restart Add puts it back.
    void Show(HWND owner, HICON icon, UINT callbackMessage, const char* tip);
    void Remove();
    // The shell lost every icon: the next Show adds again.
    void Forget() { added_ = false; }
    // A balloon with a warning sign; an empty text takes the one shown away.
    void Balloon(const char* title, const char* text);

  private:
    NOTIFYICONDATAA data_;
    bool added_ = false;
};

class BalloonNotifier final : public DesktopNotifier {
  public:
    explicit BalloonNotifier(NotifyIcon& icon) : icon_(icon) {}
    void Notify(const char* summary, const char* body) override { icon_.Balloon(summary, body); }
    void Withdraw() override { icon_.Balloon("", ""); }

  private:
    NotifyIcon& icon_;
};

}  // namespace tavrel::win32
