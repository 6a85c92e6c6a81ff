// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop_quiet_win32.h"

#include <shellapi.h>

#include <cstring>

namespace tavrel::win32 {

namespace {

// The desktop and the task bar cover the screen without being anyone's fullscreen work.
bool IsShellWindow(HWND window) {
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    return std::strcmp(name, "Progman") == 0 || std::strcmp(name, "WorkerW") == 0 ||
           std::strcmp(name, "Shell_TrayWnd") == 0 || window == GetShellWindow() ||
           window == GetDesktopWindow();
}

// True when the window is another program's, shown, and its client area covers its monitor
// whole. The client area, not the frame: a maximised window's frame reaches past a monitor
// whose task bar is elsewhere or hides, while its caption keeps its client area below the top.
bool CoversItsMonitor(HWND window) {
    if (window == nullptr || !IsWindowVisible(window) || IsIconic(window)) return false;
    if (IsShellWindow(window)) return false;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId()) return false;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) {
        return false;
    }
    RECT client;
    if (!GetClientRect(window, &client)) return false;
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return client.left <= monitor.rcMonitor.left && client.top <= monitor.rcMonitor.top &&
           client.right >= monitor.rcMonitor.right && client.bottom >= monitor.rcMonitor.bottom;
}

}  // namespace

QuietReason DesktopQuietWin32::Busy() {
    QUERY_USER_NOTIFICATION_STATE state{};
    if (SHQueryUserNotificationState(&state) == S_OK) {
        switch (state) {
            case QUNS_BUSY:
            case QUNS_RUNNING_D3D_FULL_SCREEN:
            case QUNS_PRESENTATION_MODE:
            case QUNS_APP:
                return QuietReason::FullscreenProgram;
            default:
                break;
        }
    }
    return CoversItsMonitor(GetForegroundWindow()) ? QuietReason::FullscreenProgram
                                                   : QuietReason::None;
}

}  // namespace tavrel::win32
