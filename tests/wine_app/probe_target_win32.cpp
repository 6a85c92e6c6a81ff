// SPDX-License-Identifier: GPL-3.0-or-later
#include "probe_target_win32.h"

#include <cstdio>

namespace probe {
namespace {

constexpr char kDoubleClickClass[] = "TavrelProbeTargetDblClks";
constexpr char kPlainClass[] = "TavrelProbeTarget";

struct Target {
    int x, y, width, height;
    std::string title;
    TargetKind kind;
    HANDLE ready;
    bool opened;
};

volatile LONG downs = 0, ups = 0, doubleClicks = 0, keys = 0;
HWND opened = nullptr;
HANDLE suspended = nullptr;

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            InterlockedIncrement(&downs);
            break;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            InterlockedIncrement(&ups);
            break;
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
            InterlockedIncrement(&doubleClicks);
            break;
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP:
            if ((static_cast<DWORD>(lParam) & 0x40000000u) != 0) InterlockedIncrement(&keys);
            break;
        case WM_DESTROY:
            PostQuitMessage(0);  // ends the window's thread
            break;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void Register(const char* name, UINT style) {
    WNDCLASSA wc = {};
    wc.style = style;
    wc.lpfnWndProc = TargetProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = name;
    RegisterClassA(&wc);
}

DWORD WINAPI RunTarget(LPVOID param) {
    auto* target = static_cast<Target*>(param);
    const TargetKind kind = target->kind;
    Register(kDoubleClickClass, CS_DBLCLKS);
    Register(kPlainClass, 0);
    HWND window = CreateWindowExA(
        0, kind == TargetKind::DoubleClicks ? kDoubleClickClass : kPlainClass,
        target->title.c_str(),
        (kind == TargetKind::Captioned ? WS_OVERLAPPEDWINDOW : WS_POPUP) | WS_VISIBLE, target->x,
        target->y, target->width, target->height, nullptr, nullptr, GetModuleHandleA(nullptr),
        nullptr);
    target->opened = window != nullptr;
    opened = window;
    if (window != nullptr) {
        UpdateWindow(window);
        SetForegroundWindow(window);
    }
    SetEvent(target->ready);
    if (window == nullptr) return 0;
    MSG msg;
    for (;;) {
        // A peeking program looks at every message before it takes it, as many do to decide
        // between work and waiting: the window system reports the message to its hooks twice.
        if (kind == TargetKind::Peeking && !PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            WaitMessage();
            continue;
        }
        if (GetMessageA(&msg, nullptr, 0, 0) <= 0) break;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

}  // namespace

bool OpenTarget(int x, int y, int width, int height, const std::string& title, TargetKind kind) {
    static Target target;  // read by the window thread for as long as it runs
    target = {x, y, width, height, title, kind, CreateEventA(nullptr, TRUE, FALSE, nullptr), false};
    HANDLE thread = CreateThread(nullptr, 0, RunTarget, &target, 0, nullptr);
    if (thread == nullptr) return false;
    CloseHandle(thread);
    WaitForSingleObject(target.ready, 5000);
    CloseHandle(target.ready);
    return target.opened;
}

std::string TargetCounts() {
    char text[96];
    std::snprintf(text, sizeof text, "%ld %ld %ld %ld", static_cast<long>(downs),
                  static_cast<long>(ups), static_cast<long>(doubleClicks), static_cast<long>(keys));
    return text;
}

bool CloseTarget() {
    if (opened == nullptr) return false;
    HWND window = opened;
    opened = nullptr;
    return PostMessageA(window, WM_CLOSE, 0, 0) != FALSE;
}

bool SuspendOwner(HWND window) {
    if (suspended != nullptr) return false;
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    suspended = OpenThread(THREAD_SUSPEND_RESUME, FALSE, thread);
    if (suspended == nullptr) return false;
    if (SuspendThread(suspended) == static_cast<DWORD>(-1)) {
        CloseHandle(suspended);
        suspended = nullptr;
        return false;
    }
    return true;
}

bool ResumeOwner() {
    if (suspended == nullptr) return false;
    const bool resumed = ResumeThread(suspended) != static_cast<DWORD>(-1);
    CloseHandle(suspended);
    suspended = nullptr;
    return resumed;
}

}  // namespace probe
