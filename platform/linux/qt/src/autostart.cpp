// SPDX-License-Identifier: GPL-3.0-or-later
#include "autostart.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace tavrel::linux_qt {

namespace {

QString ConfigHome() {
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (QDir::isAbsolutePath(config)) return config;
    return QDir::homePath() + QStringLiteral("/.config");
}

// The Exec key quotes an argument with blanks or specials in double quotes.
QString QuoteExec(const QString& path) {
    QString quoted = path;
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    for (const char c : {'"', '`', '$'}) {
        quoted.replace(QLatin1Char(c), QStringLiteral("\\") + QLatin1Char(c));
    }
    return QStringLiteral("\"%1\"").arg(quoted);
}

}  // namespace

QString AutostartFile() {
    return ConfigHome() + QStringLiteral("/autostart/tavrel.desktop");
}

bool AutostartEnabled() {
    return QFileInfo::exists(AutostartFile());
}

bool SetAutostart(bool enabled) {
    const QString path = AutostartFile();
    if (!enabled) return !QFileInfo::exists(path) || QFile::remove(path);
    if (!QDir().mkpath(QFileInfo(path).path())) return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) return false;
    const QString entry = QStringLiteral(
                              "[Desktop Entry]\n"
                              "Type=Application\n"
                              "Name=Tavrel\n"
                              "Comment=Counts mouse and keyboard use and warns of strain\n"
                              "Exec=%1\n"
                              "Icon=tavrel\n"
                              "Terminal=false\n"
                              "X-GNOME-Autostart-enabled=true\n")
                              .arg(QuoteExec(QCoreApplication::applicationFilePath()));
    file.write(entry.toUtf8());
    return file.commit();
}

}  // namespace tavrel::linux_qt
