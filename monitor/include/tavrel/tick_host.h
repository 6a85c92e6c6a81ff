// What the sampling tick needs from the window system: the UTC clock, the hook library's
// record, the window, the notification-area icon, the read-outs and a modal message.
#pragma once

#include <cstdint>

#include "TavrelHooks.h"

namespace tavrel {

// A UTC clock reading, broken down in the platform's order.
struct SystemTime {
    std::uint16_t year, month, dayOfWeek, day, hour, minute, second, milliseconds;
};

// The icons the notification area can show: six pain levels, two alarm icons.
enum class TrayIcon : int { Level0, Level1, Level2, Level3, Level4, Level5, Alarm1, Alarm2 };

// The resource identifier of each icon.
int TrayIconResource(TrayIcon icon);

// The main window's three flags; the program's window code and the tick share them.
struct WindowFlags {
    std::int32_t hiddenByUser = 0;       // sent to the notification area, not brought back
    std::int32_t hiddenUndisturbed = 0;  // ... and no alarm has raised it since
    std::int32_t raisedByAlarm = 0;      // an alarm brought it up; not re-hidden since
};

class TickHost {
  public:
    virtual SystemTime Now() = 0;                  // current UTC time
    virtual void TakeActivity(MDTAG& record) = 0;  // copy out and clear the hooks' record
    virtual void RaiseWindow() = 0;                // show above all others, then not top-most
    virtual void HideWindowToBottom() = 0;         // hide, at the bottom of the stacking order
    virtual void FlashCaption(bool invert) = 0;    // true: turn the caption over; false: normal
    virtual void SetTrayIcon(TrayIcon icon) = 0;   // replace the notification-area icon
    virtual void SetReadout(int controlId, const char* text) = 0;
    // Modal, with an OK button. Further ticks may run while it waits.
    virtual void ShowMessage(const char* text) = 0;

  protected:
    ~TickHost() = default;
};

}  // namespace tavrel
