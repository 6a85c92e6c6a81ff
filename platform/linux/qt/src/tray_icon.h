// SPDX-License-Identifier: GPL-3.0-or-later
// The program's icon in the notification area (an XEmbed tray or a StatusNotifier host), its
// menu, and the 16x16 pictures of the six levels and the two alarm icons.
#pragma once

#include <array>
#include <functional>

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>

#include "tavrel/tray.h"

namespace tavrel::linux_qt {

constexpr int kTrayIconCount = 8;

// The icon's file in the program's resources, by TrayIcon.
const char* TrayIconName(TrayIcon icon);

// What the icon and its menu ask of the program.
struct TrayActions {
    std::function<void()> show;     // the icon was activated, or "Show" chosen
    std::function<void()> pointed;  // the menu opens: the tip should be current
    std::function<void()> about;
    std::function<void()> quit;
    std::function<void()> history;
    std::function<void()> share;  // "Share history..."
};

class TrayIconQt final : public QObject, public Tray {
    Q_OBJECT

  public:
    explicit TrayIconQt(TrayActions actions);

    void Show(TrayIcon icon, const char* tip) override;
    void Remove() override;
    bool Available() override;

    // Puts the alarm's entries into the menu, after About.
    void AddAlarmEntries(QAction* pause, QAction* toFront);

    // Called about once a second: true when a notification area has appeared where there was
    // none at start, so that the icon can go in.
    bool AreaAppeared();

    // What the test hook reads back.
    bool visible() const { return icon_.isVisible(); }
    TrayIcon shown() const { return shown_; }
    QString tip() const { return icon_.toolTip(); }
    QMenu& menu() { return menu_; }

  signals:
    void changed();

  private:
    void OnActivated(QSystemTrayIcon::ActivationReason reason);

    TrayActions actions_;
    std::array<QIcon, kTrayIconCount> icons_;
    QSystemTrayIcon icon_;
    QMenu menu_;
    QAction* autostart_ = nullptr;
    TrayIcon shown_ = TrayIcon::Level0;
    bool haveIcon_ = false;
    bool areaSeen_ = false;
};

}  // namespace tavrel::linux_qt
