// The line below the main window's controls that says what holds the alarm, until when alarms
// are paused and how long to rest. Made at run time, so that the dialog template, which both
// releases share with its checks, stays as it is; the window is made tall enough for two lines
// of it, empty while there is nothing to say.
#pragma once

#include <windows.h>

namespace tavrel::win32 {

class AlarmStatusLine {
  public:
    // At WM_INITDIALOG, before the dialog's layout is taken for its DPI.
    void Create(HWND dialog);
    void Set(const char* text);

  private:
    HWND line_ = nullptr;
};

}  // namespace tavrel::win32
