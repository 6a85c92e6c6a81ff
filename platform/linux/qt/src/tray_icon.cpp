// SPDX-License-Identifier: GPL-3.0-or-later
#include "tray_icon.h"

#include <QImage>
#include <QImageReader>
#include <QPixmap>

#include "autostart.h"

namespace tavrel::linux_qt {

namespace {

// Only the 16x16 image of a tray icon is drawn; its 32x32 image is left transparent. Larger
// trays get it doubled pixel for pixel rather than blurred.
QIcon LoadTrayIcon(const QString& path) {
    QImageReader reader(path);
    QImage small;
    for (int i = 0; i < reader.imageCount(); ++i) {
        reader.jumpToImage(i);
        const QImage image = reader.read();
        if (image.size() == QSize(16, 16)) small = image;
    }
    if (small.isNull()) return QIcon(path);
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(small));
    icon.addPixmap(
        QPixmap::fromImage(small.scaled(32, 32, Qt::IgnoreAspectRatio, Qt::FastTransformation)));
    return icon;
}

}  // namespace

const char* TrayIconName(TrayIcon icon) {
    static const char* const kNames[kTrayIconCount] = {"level0", "level1", "level2", "level3",
                                                       "level4", "level5", "alarm1", "alarm2"};
    return kNames[static_cast<int>(icon)];
}

TrayIconQt::TrayIconQt(TrayActions actions) : actions_(std::move(actions)) {
    for (int i = 0; i < kTrayIconCount; ++i) {
        icons_[i] = LoadTrayIcon(QStringLiteral(":/icons/%1.ico")
                                     .arg(QLatin1String(TrayIconName(static_cast<TrayIcon>(i)))));
    }
    connect(menu_.addAction(QStringLiteral("&Show Tavrel")), &QAction::triggered, this,
            [this] { actions_.show(); });
    connect(menu_.addAction(QStringLiteral("&History...")), &QAction::triggered, this,
            [this] { actions_.history(); });
    connect(menu_.addAction(QStringLiteral("Sha&re history...")), &QAction::triggered, this,
            [this] { actions_.share(); });
    connect(menu_.addAction(QStringLiteral("&About Tavrel...")), &QAction::triggered, this,
            [this] { actions_.about(); });
    autostart_ = menu_.addAction(QStringLiteral("Start at &login"));
    autostart_->setCheckable(true);
    connect(autostart_, &QAction::toggled, this, [this](bool on) {
        // The file decides: a failed write leaves the mark as the disk has it.
        SetAutostart(on);
        const QSignalBlocker block(autostart_);
        autostart_->setChecked(AutostartEnabled());
    });
    menu_.addSeparator();
    connect(menu_.addAction(QStringLiteral("&Quit")), &QAction::triggered, this,
            [this] { actions_.quit(); });
    connect(&menu_, &QMenu::aboutToShow, this, [this] {
        const QSignalBlocker block(autostart_);
        autostart_->setChecked(AutostartEnabled());
        actions_.pointed();
    });
    icon_.setContextMenu(&menu_);
    connect(&icon_, &QSystemTrayIcon::activated, this, &TrayIconQt::OnActivated);
    areaSeen_ = QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIconQt::OnActivated(QSystemTrayIcon::ActivationReason reason) {
    // StatusNotifier hosts report every activation as Trigger and never a double-click, so a
    // single activation brings the window too.
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) {
        actions_.show();
    } else {
        actions_.pointed();
    }
}

void TrayIconQt::Show(TrayIcon icon, const char* tip) {
    const QString text = QString::fromUtf8(tip);
    if (!haveIcon_ || icon != shown_) icon_.setIcon(icons_[static_cast<int>(icon)]);
    if (icon_.toolTip() != text) icon_.setToolTip(text);
    shown_ = icon;
    haveIcon_ = true;
    if (!icon_.isVisible()) icon_.show();
    emit changed();
}

void TrayIconQt::Remove() {
    icon_.hide();
    emit changed();
}

void TrayIconQt::AddAlarmEntries(QAction* pause, QAction* toFront) {
    menu_.insertAction(autostart_, pause);
    menu_.insertAction(autostart_, toFront);
}

bool TrayIconQt::Available() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool TrayIconQt::AreaAppeared() {
    // Asking costs a round trip to the X server. Once there is an area, Qt itself puts the
    // icon back when the area's host restarts.
    if (areaSeen_) return false;
    const bool now = QSystemTrayIcon::isSystemTrayAvailable();
    const bool appeared = now && !areaSeen_;
    areaSeen_ = now;
    return appeared;
}

}  // namespace tavrel::linux_qt
