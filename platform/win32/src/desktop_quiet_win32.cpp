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

}  // namespace

bool CoversItsMonitor(HWND window, HWND own) {
    if (window == nullptr || !IsWindowVisible(window) || IsIconic(window)) return false;
    if (IsShellWindow(window)) return false;
    DWORD process = 0, ownProcess = 0;
    GetWindowThreadProcessId(window, &process);
    GetWindowThreadProcessId(own, &ownProcess);
    if (own != nullptr && process == ownProcess) return false;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) {
        return false;
    }
    RECT rect;
    if (!GetWindowRect(window, &rect)) return false;
    return rect.left <= monitor.rcMonitor.left && rect.top <= monitor.rcMonitor.top &&
           rect.right >= monitor.rcMonitor.right && rect.bottom >= monitor.rcMonitor.bottom;
}

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
    return CoversItsMonitor(GetForegroundWindow(), own_.hwnd()) ? QuietReason::FullscreenProgram
                                                                : QuietReason::None;
}

}  // namespace tavrel::win32
