// SPDX-License-Identifier: GPL-3.0-or-later
// Finding Tavrel's window, its message boxes and menus from another process, and reading
// their texts.
#pragma once

#include <windows.h>

#include <string>

namespace probe {

// Sends to another process's windows give up after this long: a hung Tavrel is an answer.
constexpr DWORD kSendTimeoutMs = 2000;

// Which top-level window is Tavrel's.
struct Target {
    std::string className = "#32770";
    std::string title = "Tavrel";
    bool needsReadout = true;  // has the tick read-out, which tells it from message boxes
};

// The first matching window, or null; count, when given, receives how many match.
HWND FindTarget(const Target& target, int* count = nullptr);

// For EnumWindows: finds the visible message box the owner owns.
struct FindOwned {
    HWND owner;
    HWND found;
};
BOOL CALLBACK MatchMessageBox(HWND hwnd, LPARAM param);

// For EnumWindows: stores the open pop-up menu of any program in the HWND the LPARAM points to.
BOOL CALLBACK MatchPopupMenu(HWND hwnd, LPARAM param);

// A control's text, read across processes; empty when it does not answer.
std::string WindowText(HWND hwnd);

// A text of several lines as one line of the reply: each line break as a backslash and n.
std::string OneLine(const std::string& text);

// The text of a message box: its static control that is not an icon.
std::string MessageBoxText(HWND box);

// The labels and push buttons of the window whose one-line text does not fit them, measured
// in the dialogs' face ("dialog") or the message font at the DPI: "ID:TEXT:NEEDED:HAS ..." or
// "-".
std::string UnfitControls(HWND window, int dpi, const std::string& kind);

}  // namespace probe
