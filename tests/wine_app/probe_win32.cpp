// SPDX-License-Identifier: GPL-3.0-or-later
// tavrel_probe: looks into a running Tavrel window from outside, for the end-to-end tests and
// the idle benchmark. Commands come from the command line or, when there are none, one per
// line from standard input (so a test keeps one probe running instead of starting Wine for
// every question). Each command prints one line; a failed one prints "error: ..." and, on
// the command line, ends the probe with exit code 1.
//
//   exists                      1 when the window is there (hidden or not), else 0
//   count                       how many such windows there are
//   wait MS                     waits for the window to exist
//   visible                     1 or 0
//   text ID...                  the controls' texts, one line each (a line break as \n)
//   enabled ID | checked ID     1 or 0
//   rect [ID]                   screen rectangle "left top right bottom" of a control or the window
//   focus ID                    gives a control the dialog's focus (as Tab would)
//   settext ID TEXT             replaces a control's text
//   click ID                    clicks a button (posted: a modal box it opens does not block us)
//   command ID | post ID        WM_COMMAND sent and waited for | posted
//   close                       posts WM_CLOSE
//   send MSG WPARAM             sends a window message (numbers) and waits for it
//   post-message MSG WPARAM     posts it
//   tray-delete                 removes the window's tray icon (id 1), as a shell that
//                               restarts loses it
//   send-registered NAME        sends the message registered under NAME, as the shell does
//   wait-visible MS | wait-hidden MS | wait-gone MS   waits; prints the milliseconds it took
//   wait-change ID MS           waits for a control's text to change; prints the milliseconds
//   message                     the text of a message box owned by the window, or "-" if none
//   answer ID                   presses a button of that message box (IDYES 6, IDNO 7, ...)
//   popup-rect                  screen rectangle of the open pop-up menu, of any program
//   unfit DPI dialog|message    the labels and push buttons whose text the control cuts off,
//                               measured in the dialogs' face or the message font at DPI:
//                               "ID:TEXT:NEEDED:HAS ..." or "-"
//   sleep MS
//   window X Y W H TITLE KIND   opens the probe's own window (KIND dblclks, plain, peek or
//   captioned: see
//                               probe_target_win32.h); needs no Tavrel window
//   window-counts               "downs ups double-clicks keys" that the probe's window received
//   close-window                closes the probe's window
//   foreground                  the title of the foreground window, or "-"
//   balloons                    how many tooltip windows of any program are shown: the tray's
//                               balloons are among them
//   above TITLE                 1 when the window titled TITLE is above Tavrel's in the
//                               stacking order, else 0
//   suspend-gui | resume-gui    suspends Tavrel's window thread | resumes it
//
// Options before the commands: --class NAME and --title TEXT choose the window (default a
// dialog titled "Tavrel" that has the tick read-out, which tells it from message boxes).
#include <windows.h>
#include <shellapi.h>

#include "probe_target_win32.h"
#include "probe_windows_win32.h"
#include "resource.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace probe;

DWORD Now() {
    return GetTickCount();
}

class Probe {
  public:
    explicit Probe(Target target) : target_(std::move(target)) {}

    // Runs one command; false when it failed (the reason is already printed).
    bool Run(const std::vector<std::string>& words) {
        if (words.empty()) return true;
        const std::string& verb = words[0];
        args_ = words;
        if (verb == "sleep") {
            Sleep(Number(1));
            return Reply("ok");
        }
        if (verb == "wait") return WaitFor("window", [&] { return Window() != nullptr; });
        if (verb == "popup-rect") {
            HWND popup = nullptr;
            EnumWindows(MatchPopupMenu, reinterpret_cast<LPARAM>(&popup));
            return popup ? ReplyRect(popup) : Fail("no pop-up menu");
        }
        if (verb == "window") return OpenWindow(words);
        if (verb == "window-counts") return Reply(probe::TargetCounts());
        if (verb == "close-window") return Posted(probe::CloseTarget());
        if (verb == "balloons") {
            int shown = 0;
            for (HWND w = FindWindowExA(nullptr, nullptr, "tooltips_class32", nullptr);
                 w != nullptr; w = FindWindowExA(nullptr, w, "tooltips_class32", nullptr)) {
                if (IsWindowVisible(w)) ++shown;
            }
            return Reply(std::to_string(shown));
        }
        if (verb == "foreground") {
            char title[256] = "-";
            HWND front = GetForegroundWindow();
            if (front != nullptr && GetWindowTextA(front, title, sizeof title) == 0) title[0] = '-';
            return Reply(title);
        }
        if (verb == "resume-gui") return Posted(probe::ResumeOwner());
        if (verb == "wait-gone") return WaitFor("exit", [&] { return Window() == nullptr; });
        HWND hwnd = Window();
        if (verb == "exists") return Reply(hwnd ? "1" : "0");
        if (verb == "count") {
            int count = 0;
            FindTarget(target_, &count);
            return Reply(std::to_string(count));
        }
        if (!hwnd) return Fail("no window");
        if (verb == "suspend-gui") return Posted(probe::SuspendOwner(hwnd));
        if (verb == "above" && words.size() == 2) {
            // Walks up from Tavrel's window: the other one is above it if found on the way.
            for (HWND w = GetWindow(hwnd, GW_HWNDPREV); w != nullptr;
                 w = GetWindow(w, GW_HWNDPREV)) {
                char title[256] = "";
                GetWindowTextA(w, title, sizeof title);
                if (words[1] == title) return Reply("1");
            }
            return Reply("0");
        }
        if (verb == "visible") return Reply(IsWindowVisible(hwnd) ? "1" : "0");
        if (verb == "wait-visible") {
            return WaitFor("visible", [&] { return IsWindowVisible(hwnd) != FALSE; });
        }
        if (verb == "wait-hidden") {
            return WaitFor("hidden", [&] { return IsWindowVisible(hwnd) == FALSE; });
        }
        if (verb == "close") return Posted(PostMessageA(hwnd, WM_CLOSE, 0, 0));
        if (verb == "command") {
            DWORD_PTR result = 0;
            return Posted(SendMessageTimeoutA(hwnd, WM_COMMAND, Number(1), 0, SMTO_ABORTIFHUNG,
                                              kSendTimeoutMs, &result) != 0);
        }
        if (verb == "post") return Posted(PostMessageA(hwnd, WM_COMMAND, Number(1), 0));
        if (verb == "tray-delete") {
            NOTIFYICONDATAA icon = {};
            icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
            icon.hWnd = hwnd;
            icon.uID = 1;
            return Posted(Shell_NotifyIconA(NIM_DELETE, &icon) != FALSE);
        }
        if (verb == "post-message") {
            return Posted(PostMessageA(hwnd, static_cast<UINT>(Number(1)),
                                       static_cast<WPARAM>(Number(2)), 0));
        }
        if (verb == "send" || verb == "send-registered") {
            const UINT message = verb == "send" ? static_cast<UINT>(Number(1))
                                                : RegisterWindowMessageA(words.at(1).c_str());
            const WPARAM wParam = verb == "send" ? static_cast<WPARAM>(Number(2)) : 0;
            DWORD_PTR result = 0;
            return Posted(SendMessageTimeoutA(hwnd, message, wParam, 0, SMTO_ABORTIFHUNG,
                                              kSendTimeoutMs, &result) != 0);
        }
        if (verb == "unfit") {
            return Reply(UnfitControls(hwnd, Number(1), words.size() > 2 ? words[2] : "dialog"));
        }
        if (verb == "message") {
            FindOwned state{hwnd, nullptr};
            EnumWindows(MatchMessageBox, reinterpret_cast<LPARAM>(&state));
            return Reply(state.found ? MessageBoxText(state.found) : "-");
        }
        if (verb == "answer") {
            FindOwned state{hwnd, nullptr};
            EnumWindows(MatchMessageBox, reinterpret_cast<LPARAM>(&state));
            if (!state.found) return Fail("no message box");
            return Posted(PostMessageA(state.found, WM_COMMAND, Number(1), 0));
        }
        if (verb == "rect" && words.size() == 1) return ReplyRect(hwnd);
        if (verb == "text") {
            if (words.size() < 2) return Fail("text needs control ids");
            for (std::size_t i = 1; i < words.size(); ++i) {
                HWND control = Control(hwnd, i);
                if (!control) return false;
                Reply(OneLine(WindowText(control)));
            }
            return true;
        }
        HWND control = Control(hwnd, 1);
        if (!control) return false;
        if (verb == "enabled") return Reply(IsWindowEnabled(control) ? "1" : "0");
        if (verb == "checked") {
            DWORD_PTR state = 0;
            SendMessageTimeoutA(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                                &state);
            return Reply(state == BST_CHECKED ? "1" : "0");
        }
        if (verb == "rect") return ReplyRect(control);
        if (verb == "focus") {
            DWORD_PTR result = 0;
            return Posted(SendMessageTimeoutA(hwnd, WM_NEXTDLGCTL,
                                              reinterpret_cast<WPARAM>(control), TRUE,
                                              SMTO_ABORTIFHUNG, kSendTimeoutMs, &result) != 0);
        }
        if (verb == "settext") {
            const std::string text = words.size() > 2 ? words[2] : "";
            DWORD_PTR result = 0;
            return Posted(SendMessageTimeoutA(control, WM_SETTEXT, 0,
                                              reinterpret_cast<LPARAM>(text.c_str()),
                                              SMTO_ABORTIFHUNG, kSendTimeoutMs, &result) != 0);
        }
        if (verb == "click") return Posted(PostMessageA(control, BM_CLICK, 0, 0));
        if (verb == "wait-change") {
            const std::string before = WindowText(control);
            args_.erase(args_.begin() + 1);  // the timeout follows the id
            return WaitFor("change", [&] { return WindowText(control) != before; });
        }
        return Fail("unknown command " + verb);
    }

  private:
    HWND Window() const { return FindTarget(target_); }

    int Number(std::size_t index) const {
        return index < args_.size() ? std::atoi(args_[index].c_str()) : 0;
    }

    HWND Control(HWND hwnd, std::size_t index) {
        if (index >= args_.size()) {
            Fail("missing control id");
            return nullptr;
        }
        HWND control = GetDlgItem(hwnd, Number(index));
        if (!control) Fail("no control " + args_[index]);
        return control;
    }

    template <typename Condition>
    bool WaitFor(const char* what, Condition condition) {
        const DWORD start = Now();
        const DWORD limit = static_cast<DWORD>(Number(1));
        for (;;) {
            if (condition()) return Reply(std::to_string(Now() - start));
            if (Now() - start > limit) return Fail(std::string("timeout waiting for ") + what);
            Sleep(5);
        }
    }

    bool ReplyRect(HWND hwnd) {
        RECT r;
        if (!GetWindowRect(hwnd, &r)) return Fail("no rectangle");
        std::ostringstream out;
        out << r.left << ' ' << r.top << ' ' << r.right << ' ' << r.bottom;
        return Reply(out.str());
    }

    bool OpenWindow(const std::vector<std::string>& words) {
        if (words.size() != 7) return Fail("window X Y W H TITLE KIND");
        const std::string& kind = words[6];
        probe::TargetKind target = probe::TargetKind::Plain;
        if (kind == "dblclks") {
            target = probe::TargetKind::DoubleClicks;
        } else if (kind == "peek") {
            target = probe::TargetKind::Peeking;
        } else if (kind == "captioned") {
            target = probe::TargetKind::Captioned;
        } else if (kind != "plain") {
            return Fail("unknown window kind " + kind);
        }
        return Posted(
            probe::OpenTarget(Number(1), Number(2), Number(3), Number(4), words[5], target));
    }

    bool Posted(bool ok) { return ok ? Reply("ok") : Fail("message not delivered"); }

    static bool Reply(const std::string& line) {
        std::fputs(line.c_str(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
        return true;
    }

    static bool Fail(const std::string& why) {
        Reply("error: " + why);
        return false;
    }

    Target target_;
    std::vector<std::string> args_;
};

std::vector<std::string> Split(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

}  // namespace

int main(int argc, char** argv) {
    Target target;
    int first = 1;
    while (first + 1 < argc && argv[first][0] == '-' && argv[first][1] == '-') {
        const std::string option = argv[first];
        if (option == "--class") {
            target.className = argv[first + 1];
        } else if (option == "--title") {
            target.title = argv[first + 1];
        } else {
            break;
        }
        target.needsReadout = false;
        first += 2;
    }
    Probe probe(target);
    if (first < argc) {
        // Commands on the command line are separated by a lone comma.
        std::vector<std::string> words;
        for (int i = first; i <= argc; ++i) {
            if (i == argc || std::string(argv[i]) == ",") {
                if (!probe.Run(words)) return 1;
                words.clear();
            } else {
                words.push_back(argv[i]);
            }
        }
        return 0;
    }
    for (std::string line; std::getline(std::cin, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line == "quit") break;
        probe.Run(Split(line));
    }
    return 0;
}
