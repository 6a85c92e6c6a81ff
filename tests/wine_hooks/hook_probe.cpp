// SPDX-License-Identifier: GPL-3.0-or-later
// A Windows process that the hook tests drive line by line over stdin/stdout. It opens
// windows for generated input to land on, calls the three exports of TavrelHooks.dll on
// request and can put its own mouse hook in front of them. It loads the library only when
// first asked to call it, so a probe that is never asked stands for any other application:
// the window system alone brings the library into it.
//
// Commands (one reply line each): load, init, kill, get, window X Y W H TITLE,
// guard, guardcount, cursor, pid, block, unhook, ended PID, quit.
//
// block and unhook look into the library's shared block, which every process that maps
// the library sees: block reports the install count, the installer's and the holders'
// process ids and the two hook handles; unhook removes the hooks whose handles it holds,
// as the window system does when the thread that installed them ends.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "TavrelHooks.h"
#include "tavrel/hooks_core.h"

namespace {

constexpr UINT kCommandMessage = WM_APP + 1;

using GetDataFn = int(TAVREL_HOOKS_CALL*)(MDTAG*);
using PlainFn = int(TAVREL_HOOKS_CALL*)();

struct Library {
    HMODULE module = nullptr;
    GetDataFn getData = nullptr;
    PlainFn initHooks = nullptr;
    PlainFn killHooks = nullptr;

    bool Load() {
        if (module != nullptr) return true;
        module = LoadLibraryA("TavrelHooks.dll");
        if (module == nullptr) return false;
        getData =
            reinterpret_cast<GetDataFn>(reinterpret_cast<void*>(GetProcAddress(module, "GetData")));
        initHooks =
            reinterpret_cast<PlainFn>(reinterpret_cast<void*>(GetProcAddress(module, "InitHooks")));
        killHooks =
            reinterpret_cast<PlainFn>(reinterpret_cast<void*>(GetProcAddress(module, "KillHooks")));
        return getData != nullptr && initHooks != nullptr && killHooks != nullptr;
    }
};

Library library;

using tavrel::hooks::ActivityBlock;

// The block is the library's one shared section, found through the loaded image's headers.
const ActivityBlock* SharedBlock() {
    if (!library.Load()) return nullptr;
    const auto* base = reinterpret_cast<const BYTE*>(library.module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        if ((section->Characteristics & IMAGE_SCN_MEM_SHARED) != 0 &&
            section->Misc.VirtualSize >= sizeof(ActivityBlock)) {
            return reinterpret_cast<const ActivityBlock*>(base + section->VirtualAddress);
        }
    }
    return nullptr;
}

template <class T>
T Read(const T& field) {
    return __atomic_load_n(&field, __ATOMIC_ACQUIRE);
}

// A process key's low half is the process id.
unsigned long PidOf(tavrel::hooks::ProcessKey key) {
    return static_cast<unsigned long>(key & 0xFFFFFFFFu);
}

std::string DescribeBlock(const ActivityBlock& block) {
    std::string text = std::to_string(Read(block.installCount)) + " " +
                       std::to_string(PidOf(Read(block.installer)));
    char handles[64];
    std::snprintf(handles, sizeof handles, " %llx %llx",
                  static_cast<unsigned long long>(Read(block.mouseHook)),
                  static_cast<unsigned long long>(Read(block.keyboardHook)));
    text += handles;
    for (const auto& slot : block.holders) {
        if (Read(slot) != 0) text += " " + std::to_string(PidOf(Read(slot)));
    }
    return text;
}

// Replies with the two results, 1 where a hook was removed.
std::string RemoveHooksOf(const ActivityBlock& block) {
    const BOOL mouse = UnhookWindowsHookEx(reinterpret_cast<HHOOK>(Read(block.mouseHook)));
    const BOOL keyboard = UnhookWindowsHookEx(reinterpret_cast<HHOOK>(Read(block.keyboardHook)));
    char text[32];
    std::snprintf(text, sizeof text, "%d %d", mouse ? 1 : 0, keyboard ? 1 : 0);
    return text;
}

// Waits up to five seconds for the process to end; one that is gone altogether has ended.
const char* AwaitEnd(DWORD pid) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (process == nullptr) return "ended";
    const DWORD waited = WaitForSingleObject(process, 5000);
    CloseHandle(process);
    return waited == WAIT_OBJECT_0 ? "ended" : "running";
}
HHOOK guardHook = nullptr;
long guardMessages = 0;  // mouse messages our own hook saw after the library's hook
DWORD guiThread = 0;

LRESULT CALLBACK GuardHookProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0) ++guardMessages;
    return CallNextHookEx(guardHook, code, wParam, lParam);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

void Reply(const char* text) {
    std::fputs(text, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void OpenWindow(const char* args) {
    int x = 0, y = 0, w = 0, h = 0;
    char title[128] = {};
    if (std::sscanf(args, "%d %d %d %d %127s", &x, &y, &w, &h, title) != 5) {
        Reply("error usage");
        return;
    }
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.style = CS_DBLCLKS;  // double-clicks arrive as double-click messages
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = "TavrelHookProbe";
        registered = RegisterClassA(&wc) != 0;
    }
    HWND window = CreateWindowExA(0, "TavrelHookProbe", title, WS_POPUP | WS_VISIBLE, x, y, w, h,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr) {
        Reply("error window");
        return;
    }
    UpdateWindow(window);
    SetForegroundWindow(window);
    Reply("ok");
}

void Execute(const std::string& line) {
    const std::string name = line.substr(0, line.find(' '));
    const char* args = line.size() > name.size() ? line.c_str() + name.size() + 1 : "";
    char text[160];
    if (name == "load") {
        Reply(library.Load() ? "ok" : "error load");
    } else if (name == "init" || name == "kill") {
        if (!library.Load()) return Reply("error load");
        std::snprintf(text, sizeof text, "%d",
                      name == "init" ? library.initHooks() : library.killHooks());
        Reply(text);
    } else if (name == "get") {
        if (!library.Load()) return Reply("error load");
        MDTAG r = {};
        const int result = library.getData(&r);
        std::snprintf(text, sizeof text, "%d %.9g %.9g %d %d %d", result,
                      static_cast<double>(r.moveDistance), static_cast<double>(r.dragDistance),
                      static_cast<int>(r.clicks), static_cast<int>(r.doubleClicks),
                      static_cast<int>(r.keys));
        Reply(text);
    } else if (name == "window") {
        OpenWindow(args);
    } else if (name == "guard") {
        guardHook = SetWindowsHookExA(WH_MOUSE, GuardHookProc, nullptr, GetCurrentThreadId());
        Reply(guardHook != nullptr ? "ok" : "error guard");
    } else if (name == "guardcount") {
        std::snprintf(text, sizeof text, "%ld", guardMessages);
        Reply(text);
    } else if (name == "cursor") {
        POINT p = {};
        GetCursorPos(&p);
        std::snprintf(text, sizeof text, "%ld %ld", static_cast<long>(p.x), static_cast<long>(p.y));
        Reply(text);
    } else if (name == "pid") {
        std::snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(GetCurrentProcessId()));
        Reply(text);
    } else if (name == "block" || name == "unhook") {
        const ActivityBlock* block = SharedBlock();
        if (block == nullptr) return Reply("error block");
        Reply((name == "block" ? DescribeBlock(*block) : RemoveHooksOf(*block)).c_str());
    } else if (name == "ended") {
        Reply(AwaitEnd(static_cast<DWORD>(std::strtoul(args, nullptr, 10))));
    } else if (name == "quit") {
        Reply("bye");
        PostQuitMessage(0);
    } else {
        Reply("error unknown command");
    }
}

// Reads commands on its own thread and hands each to the window thread, which owns the
// windows and hooks, then waits for it to be done so replies keep their order.
DWORD WINAPI ReadCommands(LPVOID done) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, stdin) != nullptr) {
        std::string line(buffer);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        if (line.empty()) continue;
        auto* command = new std::string(line);
        PostThreadMessageA(guiThread, kCommandMessage, 0, reinterpret_cast<LPARAM>(command));
        WaitForSingleObject(static_cast<HANDLE>(done), INFINITE);
        if (line == "quit") return 0;
    }
    PostThreadMessageA(guiThread, WM_QUIT, 0, 0);
    return 0;
}

}  // namespace

int main() {
    guiThread = GetCurrentThreadId();
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // make the thread's queue exist
    HANDLE done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE reader = CreateThread(nullptr, 0, ReadCommands, done, 0, nullptr);
    Reply("ready");
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == nullptr && msg.message == kCommandMessage) {
            auto* command = reinterpret_cast<std::string*>(msg.lParam);
            Execute(*command);
            delete command;
            SetEvent(done);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (guardHook != nullptr) UnhookWindowsHookEx(guardHook);
    CloseHandle(reader);
    CloseHandle(done);
    return 0;
}
