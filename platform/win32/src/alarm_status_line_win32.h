// SPDX-License-Identifier: GPL-3.0-or-later
// The lines below the main window's controls: today's mouse and keyboard time, and below it
// the one that says what holds the alarm, until when alarms are paused and how long to rest.
// Made at run time, so that the dialog template, which both releases share with its checks,
// stays as it is; the window is made tall enough for each, empty while there is nothing to
// say. The alarm's line, the one most often empty, goes last: a blank margin, not a gap.
#pragma once

#include <windows.h>

#include "resource.h"

namespace tavrel::win32 {

class AlarmStatusLine {
  public:
    // Where a line goes, in dialog units below the template's 285, and its control's id.
    struct Place {
        int top, height, controlId;
    };
    static constexpr Place kTodayUse{283, 9, IDC_TODAY_USE};
    static constexpr Place kAlarmStatus{293, 18, IDC_ALARM_STATUS};  // two lines of the face

    explicit AlarmStatusLine(Place place = kAlarmStatus) : place_(place) {}

    // At WM_INITDIALOG, before the dialog's layout is taken for its DPI.
    void Create(HWND dialog);
    void Set(const char* text);

  private:
    Place place_;
    HWND line_ = nullptr;
};

}  // namespace tavrel::win32
