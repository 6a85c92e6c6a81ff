// SPDX-License-Identifier: GPL-3.0-or-later
// A notification area in memory: what it shows, and every change asked of it.
#pragma once

#include <string>
#include <vector>

#include "tavrel/tray.h"

namespace tavrel::testing {

class FakeTray final : public Tray {
  public:
    bool shown = false;
    bool available = true;
    TrayIcon icon = TrayIcon::Level0;
    std::string tip;
    std::vector<TrayIcon> icons;  // the icon of every Show, in order
    int shows = 0, removes = 0;

    void Show(TrayIcon newIcon, const char* newTip) override {
        ++shows;
        shown = true;
        icon = newIcon;
        tip = newTip;
        icons.push_back(newIcon);
    }
    void Remove() override {
        ++removes;
        shown = false;
    }
    bool Available() override { return available; }
};

}  // namespace tavrel::testing
