// SPDX-License-Identifier: GPL-3.0-or-later
// The program's icon in the notification area.
#pragma once

namespace tavrel {

// Six pain levels, two alarm icons.
enum class TrayIcon : int { Level0, Level1, Level2, Level3, Level4, Level5, Alarm1, Alarm2 };

class Tray {
  public:
    // Puts the icon with its tip into the notification area, or brings it up to date.
    virtual void Show(TrayIcon icon, const char* tip) = 0;
    virtual void Remove() = 0;
    // False where the desktop has no notification area: a hidden window could not be
    // brought back from there.
    virtual bool Available() = 0;

  protected:
    ~Tray() = default;
};

}  // namespace tavrel
