// SPDX-License-Identifier: GPL-3.0-or-later
#include "low_level_capture.h"

#include "physical_pixels_win32.h"

namespace tavrel::win32 {
namespace {

constexpr char kRefused[] = "Tavrel is not counting: Windows refused its input hooks.";
constexpr DWORD kThreadWaitMs = 5000;

// The desktop's own double-click rule, read afresh at each press: the user may change it
// while Tavrel runs. The system's rectangle is centred on the first press.
hooks::DoubleClickLimits DesktopDoubleClickLimits() {
    return {GetDoubleClickTime(), GetSystemMetrics(SM_CXDOUBLECLK) / 2,
            GetSystemMetrics(SM_CYDOUBLECLK) / 2};
}

bool IsButtonDown(UINT message) {
    return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN ||
           message == WM_XBUTTONDOWN;
}

bool Contains(const RECT& r, POINT p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

LONG Clamp(LONG v, LONG low, LONG high) {
    return v < low ? low : (v > high ? high : v);
}

}  // namespace

LowLevelCapture* LowLevelCapture::running_ = nullptr;

LowLevelCapture::LowLevelCapture() : translator_(block_) {}

CaptureStatus LowLevelCapture::Start() {
    if (thread_.get() != nullptr) return status_;
    ready_.adopt(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    thread_.adopt(CreateThread(nullptr, 0, ThreadMain, this, 0, &threadId_));
    const bool started = ready_.get() != nullptr && thread_.get() != nullptr &&
                         WaitForSingleObject(ready_.get(), kThreadWaitMs) == WAIT_OBJECT_0 &&
                         installed_.load();
    if (!started) status_ = {CaptureHealth::NotCounting, kRefused};
    return status_;
}

void LowLevelCapture::Stop() {
    if (thread_.get() == nullptr) return;
    PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    WaitForSingleObject(thread_.get(), kThreadWaitMs);
    thread_.reset();
    ready_.reset();
}

void LowLevelCapture::Take(MDTAG& record) {
    hooks::GetData(block_, &record);
}

bool LowLevelCapture::ArmWake(WakeTarget& target) {
    if (thread_.get() == nullptr || !installed_.load()) return false;
    return wake_.ArmUnless(target, [this] { return hooks::ActivityWaiting(block_); });
}

DWORD WINAPI LowLevelCapture::ThreadMain(LPVOID self) {
    static_cast<LowLevelCapture*>(self)->Run();
    return 0;
}

void LowLevelCapture::Run() {
    // The hooks lie on the input path of the whole desktop: a busy processor must not hold
    // everyone's input back behind this thread.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
    PhysicalPixels pixels;
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);  // the queue Stop posts to
    POINT start{};
    if (GetCursorPos(&start)) translator_.StartAt(OnScreen(start));
    running_ = this;
    InstalledHook mouse, keyboard;
    const HINSTANCE module = GetModuleHandleA(nullptr);
    mouse.adopt(SetWindowsHookExA(WH_MOUSE_LL, MouseProc, module, 0));
    keyboard.adopt(SetWindowsHookExA(WH_KEYBOARD_LL, KeyboardProc, module, 0));
    installed_.store(mouse.get() != nullptr && keyboard.get() != nullptr);
    SetEvent(ready_.get());
    if (!installed_.load()) return;
    // The system calls the hooks from inside this loop; nothing else is posted here.
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    }
}

LRESULT CALLBACK LowLevelCapture::MouseProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && running_ != nullptr) {
        running_->OnMouse(static_cast<UINT>(wParam),
                          *reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam));
        running_->wake_.Notify();
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK LowLevelCapture::KeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && running_ != nullptr) {
        running_->OnKey(*reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam));
        running_->wake_.Notify();
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void LowLevelCapture::OnMouse(UINT message, const MSLLHOOKSTRUCT& info) {
    if (IsButtonDown(message)) translator_.SetDoubleClickLimits(DesktopDoubleClickLimits());
    const bool extra = message == WM_XBUTTONDOWN || message == WM_XBUTTONUP;
    translator_.Mouse({message, extra ? HIWORD(info.mouseData) : 0u, OnScreen(info.pt),
                       static_cast<std::uint32_t>(info.time)});
}

void LowLevelCapture::OnKey(const KBDLLHOOKSTRUCT& info) {
    // Key presses and releases, system keys (with Alt) included; repeats come as presses.
    translator_.Key(static_cast<std::uint8_t>(info.vkCode), (info.flags & LLKHF_UP) == 0);
}

hooks::ScreenPoint LowLevelCapture::OnScreen(POINT point) {
    // The hook sees a move before the system keeps the pointer on the screen: pushed against
    // an edge, the point lies beyond it, where the pointer never goes.
    if (!Contains(monitor_, point)) {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        if (GetMonitorInfoA(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &info)) {
            monitor_ = info.rcMonitor;
        }
        if (monitor_.right > monitor_.left && monitor_.bottom > monitor_.top) {
            point.x = Clamp(point.x, monitor_.left, monitor_.right - 1);
            point.y = Clamp(point.y, monitor_.top, monitor_.bottom - 1);
        }
    }
    return {static_cast<std::int32_t>(point.x), static_cast<std::int32_t>(point.y)};
}

}  // namespace tavrel::win32
