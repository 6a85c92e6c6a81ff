// SPDX-License-Identifier: GPL-3.0-or-later
// The ends of a session that do not pass through Quit: SIGTERM, SIGHUP and SIGINT (a
// shutdown, a closed terminal, Ctrl+C), and a lost X server, after which Qt ends the process
// with exit(). Each keeps the totals as Quit does, asking nothing.
#pragma once

#include <functional>

#include <QObject>
#include <QSocketNotifier>

namespace tavrel::linux_qt {

class SessionEndWatch final : public QObject {
  public:
    // onEnd runs once, on the GUI thread for a signal, or from exit() for a lost display; it
    // must leave nothing for the event loop to do. The object must outlive the event loop.
    explicit SessionEndWatch(std::function<void()> onEnd);
    ~SessionEndWatch() override;
    SessionEndWatch(const SessionEndWatch&) = delete;
    SessionEndWatch& operator=(const SessionEndWatch&) = delete;

    // Runs onEnd now unless it has run; later calls, and exit(), do nothing.
    void End();

  private:
    void OnSignal();

    std::function<void()> onEnd_;
    QSocketNotifier* notifier_ = nullptr;
    bool ended_ = false;
};

}  // namespace tavrel::linux_qt
