// SPDX-License-Identifier: GPL-3.0-or-later
// The alarm's entries of a menu: "Pause alarms" (for 30 minutes, for 1 hour, until tomorrow,
// resume) and the check item "Bring the window to the front". The tray menu has them, and the
// window's own menu for desktops without a notification area.
#pragma once

#include <functional>

#include <QMenu>
#include <QObject>

#include "tavrel/alarm_preferences.h"

class QAction;

namespace tavrel::linux_qt {

struct AlarmMenuActions {
    std::function<void(PauseLength)> pause;
    std::function<void()> resume;
    std::function<void(bool)> bringToFront;
    std::function<const AlarmPreferences&()> preferences;
};

class AlarmMenu final : public QObject {
    Q_OBJECT

  public:
    AlarmMenu(AlarmMenuActions actions, QObject* parent);

    // The submenu's entry and the check item, to add to a menu or a widget's actions.
    QAction* pauseEntry() const { return pauseEntry_; }
    QAction* toFrontItem() const { return toFront_; }
    // Shows the choices as they are now: the pause's end, Resume, the check mark.
    void Refresh();

  private:
    AlarmMenuActions actions_;
    QMenu pauses_;
    QAction* pauseEntry_ = nullptr;
    QAction* pausedUntil_ = nullptr;
    QAction* resume_ = nullptr;
    QAction* toFront_ = nullptr;
};

}  // namespace tavrel::linux_qt
