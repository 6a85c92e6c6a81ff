// SPDX-License-Identifier: GPL-3.0-or-later
// The probe's own window, for input that goes to a program other than Tavrel, and a hold on
// Tavrel's window thread.
#pragma once

#include <windows.h>

#include <string>

namespace probe {

// How the target window's program takes its input.
enum class TargetKind {
    DoubleClicks,  // its class asks for double-click messages
    Plain,         // it does not: a double-click arrives as two presses
    Peeking,       // plain, and it peeks at each message before taking it
    Captioned,     // plain, with a caption and a frame, as an ordinary program's window
};

// Opens the window on a thread of its own at the screen rectangle and title; false if it
// could not. One target per probe.
bool OpenTarget(int x, int y, int width, int height, const std::string& title, TargetKind kind);

// What the window received: "downs ups double-clicks keys", where keys counts the keystroke
// messages that carry the previous-key-state flag.
std::string TargetCounts();

// Closes the window; false when none is open.
bool CloseTarget();

// Suspends the thread of the window (Tavrel's window thread) until ResumeOwner; the
// hardest form of a busy thread, as it pumps nothing at all.
bool SuspendOwner(HWND window);
bool ResumeOwner();

}  // namespace probe
