// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarm_menu.h"

#include <QAction>
#include <QSignalBlocker>

namespace tavrel::linux_qt {

AlarmMenu::AlarmMenu(AlarmMenuActions actions, QObject* parent)
    : QObject(parent), actions_(std::move(actions)) {
    pauses_.setTitle(QStringLiteral("&Pause alarms"));
    pausedUntil_ = pauses_.addAction(QString());
    pausedUntil_->setEnabled(false);
    for (const PauseChoice& choice : kPauseChoices) {
        const PauseLength length = choice.length;
        connect(pauses_.addAction(QString::fromLatin1(choice.text)), &QAction::triggered, this,
                [this, length] {
                    actions_.pause(length);
                    Refresh();
                });
    }
    pauses_.addSeparator();
    resume_ = pauses_.addAction(QStringLiteral("&Resume alarms"));
    connect(resume_, &QAction::triggered, this, [this] {
        actions_.resume();
        Refresh();
    });
    connect(&pauses_, &QMenu::aboutToShow, this, &AlarmMenu::Refresh);
    pauseEntry_ = pauses_.menuAction();

    toFront_ = new QAction(QString::fromLatin1(kBringToFrontText), this);
    toFront_->setCheckable(true);
    connect(toFront_, &QAction::toggled, this, [this](bool on) {
        actions_.bringToFront(on);
        Refresh();
    });
    Refresh();
}

void AlarmMenu::Refresh() {
    const AlarmPreferences& preferences = actions_.preferences();
    const bool paused = preferences.paused();
    pausedUntil_->setVisible(paused);
    if (paused) {
        pausedUntil_->setText(QStringLiteral("Paused until %1")
                                  .arg(QString::fromLatin1(preferences.pausedUntilText())));
    }
    resume_->setEnabled(paused);
    const QSignalBlocker block(toFront_);
    toFront_->setChecked(preferences.bringToFront());
}

}  // namespace tavrel::linux_qt
