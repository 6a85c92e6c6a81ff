// SPDX-License-Identifier: GPL-3.0-or-later
// TavrelHooks.dll: the entry function, the two hook procedures and the three exports, each a
// thin wrapper around the platform-free rules. The window system loads this library into
// every process that takes mouse or keyboard input, so it uses no C runtime, no heap, no
// exceptions and no static constructors, and imports from system DLLs only.
#include <windows.h>

#include "TavrelHooks.h"
#include "tavrel/hooks_core.h"

using tavrel::hooks::ActivityBlock;
using tavrel::hooks::HookHandle;
using tavrel::hooks::HookType;
using tavrel::hooks::ProcessKey;
using tavrel::hooks::ProcessState;
using tavrel::hooks::ScreenPoint;

namespace {

// One copy for every process that maps the library: the section is marked shared.
ActivityBlock sharedBlock __attribute__((section(".shared"), shared)) = {};

// Per-process state: ordinary data, a fresh zeroed copy in each process.
ProcessState process;
HINSTANCE moduleHandle;

LRESULT CALLBACK MouseHookProc(int code, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam);

// A process id in the low half, the low half of the process's start time (in 100 ns steps)
// in the high half: an id handed out again comes with another start time.
ProcessKey KeyOf(DWORD id, const FILETIME& started) {
    return static_cast<ProcessKey>(id) | static_cast<ProcessKey>(started.dwLowDateTime) << 32;
}

bool StartTime(HANDLE process, FILETIME* started) {
    FILETIME ended, kernel, user;
    return GetProcessTimes(process, started, &ended, &kernel, &user) != 0;
}

class Win32HookPlatform final : public tavrel::hooks::HookPlatform {
  public:
    HookHandle InstallHook(HookType type) override {
        const HOOKPROC procedure = (type == HookType::Mouse) ? MouseHookProc : KeyboardHookProc;
        return reinterpret_cast<HookHandle>(
            SetWindowsHookExA(static_cast<int>(type), procedure, moduleHandle, 0));
    }
    void RemoveHook(HookHandle handle) override {
        UnhookWindowsHookEx(reinterpret_cast<HHOOK>(handle));
    }
    ProcessKey CurrentProcess() override {
        FILETIME started = {};
        StartTime(GetCurrentProcess(), &started);
        return KeyOf(GetCurrentProcessId(), started);
    }
    bool ProcessAlive(ProcessKey key) override {
        const auto id = static_cast<DWORD>(key);
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, id);
        // Refused: it exists but is closed to us. Any other failure: no such process.
        if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
        bool alive = WaitForSingleObject(process, 0) != WAIT_OBJECT_0;
        FILETIME started = {};
        if (alive && StartTime(process, &started)) alive = KeyOf(id, started) == key;
        CloseHandle(process);
        return alive;
    }
};

HHOOK StoredHook(const HookHandle* field) {
    return reinterpret_cast<HHOOK>(__atomic_load_n(field, __ATOMIC_ACQUIRE));
}

// The only place that looks inside what the window system passes to the hook procedures.
// The structure behind LPARAM is read only for codes that promise one, and never when null.
LRESULT CALLBACK MouseHookProc(int code, WPARAM wParam, LPARAM lParam) {
    ScreenPoint position{};
    const ScreenPoint* known = nullptr;
    if (code >= 0 && lParam != 0) {
        const auto* info = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam);
        position = {static_cast<std::int32_t>(info->pt.x), static_cast<std::int32_t>(info->pt.y)};
        known = &position;
    }
    tavrel::hooks::CountMouseMessage(sharedBlock, process, code, static_cast<std::uint32_t>(wParam),
                                     known);
    return CallNextHookEx(StoredHook(&sharedBlock.mouseHook), code, wParam, lParam);
}

LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam) {
    tavrel::hooks::CountKeyboardMessage(sharedBlock, code, static_cast<std::uint32_t>(lParam));
    return CallNextHookEx(StoredHook(&sharedBlock.keyboardHook), code, wParam, lParam);
}

}  // namespace

extern "C" {

// Called for a pure virtual function reached during construction; the runtime that would
// normally provide it is not linked in.
void __cxa_pure_virtual() {
    for (;;) {
    }
}

// Entry point, called directly by the loader (there is no runtime start-up code).
BOOL WINAPI DllMain(HINSTANCE instance, DWORD /*reason*/, LPVOID /*reserved*/) {
    moduleHandle = instance;
    return TRUE;
}

int TAVREL_HOOKS_CALL GetData(MDTAG* record) {
    return tavrel::hooks::GetData(sharedBlock, record);
}

int TAVREL_HOOKS_CALL InitHooks(void) {
    Win32HookPlatform platform;
    return tavrel::hooks::InitHooks(sharedBlock, process, platform);
}

int TAVREL_HOOKS_CALL KillHooks(void) {
    Win32HookPlatform platform;
    return tavrel::hooks::KillHooks(sharedBlock, process, platform);
}

}  // extern "C"
