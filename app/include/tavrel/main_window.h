// SPDX-License-Identifier: GPL-3.0-or-later
// What the program's behaviour needs from its main window, on any desktop.
#pragma once

#include <cstdint>

namespace tavrel {

// The debugging read-outs, each one line of text.
enum class Readout : int {
    TickCount,
    Distance,
    DragDistance,
    Clicks,
    Pain,
    TotalDistance,
    TotalKeys,
};
constexpr int kReadoutCount = 7;

enum class Answer { Yes, No, Cancel, Other };

// Modal boxes over the main window. While one waits, ticks go on running.
class MessageBoxes {
  public:
    // A notice with an OK button.
    virtual void ShowMessage(const char* text) = 0;
    // A question with the buttons Yes, No and Cancel.
    virtual Answer AskYesNoCancel(const char* text) = 0;

  protected:
    ~MessageBoxes() = default;
};

// Where the window stands among the others, and how its caption looks: what the alarm and
// the tray ask of it.
class WindowStacking {
  public:
    // The user asked for the window (the tray icon, a second start): shows it above all
    // others and gives it the keyboard; it stays a normal, not top-most, window.
    virtual void Raise() = 0;
    // The alarm: shows the window above all others, a normal window still, without taking
    // the keyboard from the program the user is typing in.
    virtual void ShowWithoutFocus() = 0;
    // Hides the window, at the bottom of the stacking order.
    virtual void HideToBottom() = 0;
    // Where there is no notification area to come back from: minimised instead of hidden.
    virtual void Minimize() = 0;
    // true: turns the caption over once; false: gives it back its normal look.
    virtual void FlashCaption(bool invert) = 0;

  protected:
    ~WindowStacking() = default;
};

// The lines of text the window shows about the program's own state.
class ReadoutDisplay {
  public:
    virtual void SetReadout(Readout readout, const char* text) = 0;
    virtual void SetDebugInfoCaption(const char* text) = 0;
    // A plain sentence saying that input is not (fully) counted; empty when all is well.
    virtual void SetCaptureNotice(const char* text) = 0;
    // What holds the alarm, until when alarms are paused, how long to rest; empty when
    // there is nothing to say.
    virtual void SetAlarmStatus(const char* text) = 0;
    // Today's mouse and keyboard time: "Today: mouse 2 h 15 min, keyboard 1 h 40 min".
    virtual void SetTodayUse(const char* text) = 0;

  protected:
    ~ReadoutDisplay() = default;
};

// The whole main window, as a shell hands it over: each part of the behaviour sees only the
// role it needs.
class MainWindow : public MessageBoxes, public WindowStacking, public ReadoutDisplay {
  public:
    // Ends the program's run after Quit.
    virtual void Close() = 0;

  protected:
    ~MainWindow() = default;
};

}  // namespace tavrel
