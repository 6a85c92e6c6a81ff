// SPDX-License-Identifier: GPL-3.0-or-later
// idle_floor: the least a program like Tavrel can cost while idle under the same window
// system: a window of the same size, a notification-area icon and a 50 ms timer whose
// handler does nothing. Started with the argument "counter", it also shows its tick count
// in a label set on every tick: what any visible 20 Hz counter costs. The idle benchmark
// measures both beside Tavrel. The close box and
// WM_CLOSE hide the window (as Tavrel's do); WM_COMMAND IDCANCEL does the same, and
// WM_COMMAND IDOK ends the program.
#include <windows.h>
#include <shellapi.h>

namespace {

constexpr char kClassName[] = "TavrelIdleFloor";
constexpr UINT kTrayMessage = WM_APP + 1;
constexpr UINT_PTR kTimerId = 10;
HWND counterLabel = nullptr;  // only with "counter"
unsigned ticks = 0;

class TrayIcon {
  public:
    TrayIcon(HWND owner, HICON icon) {
        data_.cbSize = NOTIFYICONDATAA_V1_SIZE;
        data_.hWnd = owner;
        data_.uID = 1;
        data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        data_.uCallbackMessage = kTrayMessage;
        data_.hIcon = icon;
        lstrcpynA(data_.szTip, "Idle floor", sizeof data_.szTip);
        Shell_NotifyIconA(NIM_ADD, &data_);
    }
    ~TrayIcon() { Shell_NotifyIconA(NIM_DELETE, &data_); }
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

  private:
    NOTIFYICONDATAA data_ = {};
};

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (counterLabel != nullptr) {
                char text[16];
                wsprintfA(text, "%6u", ++ticks);
                SetWindowTextA(counterLabel, text);
            }
            return 0;
        case WM_CLOSE:
            ShowWindow(hwnd, SW_HIDE);
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL) ShowWindow(hwnd, SW_HIDE);
            if (LOWORD(wParam) == IDOK) DestroyWindow(hwnd);
            return 0;
        case kTrayMessage:
            if (LOWORD(lParam) == WM_LBUTTONDBLCLK) ShowWindow(hwnd, SW_SHOW);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    const bool counter = commandLine != nullptr && lstrcmpA(commandLine, "counter") == 0;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassA(&wc)) return 1;
    // About the size of Tavrel's window.
    HWND hwnd = CreateWindowExA(0, kClassName, counter ? "Idle floor counter" : "Idle floor",
                                WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 0, 0, 324, 470,
                                nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 1;
    if (counter) {
        counterLabel = CreateWindowExA(0, "STATIC", "---", WS_CHILD | WS_VISIBLE, 120, 400, 60, 20,
                                       hwnd, nullptr, instance, nullptr);
    }
    TrayIcon tray(hwnd, wc.hIcon);
    SetTimer(hwnd, kTimerId, 50, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
