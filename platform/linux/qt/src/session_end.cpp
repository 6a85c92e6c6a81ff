// SPDX-License-Identifier: GPL-3.0-or-later
#include "session_end.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>

namespace tavrel::linux_qt {

namespace {

// A signal handler may do almost nothing: it writes the signal's number into a pipe that
// the event loop watches.
int signalPipe[2] = {-1, -1};
SessionEndWatch* active = nullptr;

void OnSignalCaught(int number) {
    const char byte = static_cast<char>(number);
    const ssize_t ignored = write(signalPipe[1], &byte, 1);
    (void)ignored;
}

// Qt's X connection ends the process with exit() when the server goes away (a logout that
// closes the display, a crashed server).
void AtExit() {
    if (active != nullptr) active->End();
}

}  // namespace

SessionEndWatch::SessionEndWatch(std::function<void()> onEnd) : onEnd_(std::move(onEnd)) {
    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        notifier_ = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, &SessionEndWatch::OnSignal);
        struct sigaction action {};
        action.sa_handler = OnSignalCaught;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (const int number : {SIGTERM, SIGHUP, SIGINT}) sigaction(number, &action, nullptr);
    }
    active = this;
    static bool registered = false;
    if (!registered) registered = std::atexit(AtExit) == 0;
}

SessionEndWatch::~SessionEndWatch() {
    if (active == this) active = nullptr;
}

void SessionEndWatch::OnSignal() {
    char buffer[16];
    while (read(signalPipe[0], buffer, sizeof buffer) > 0) {
    }
    End();
}

void SessionEndWatch::End() {
    if (ended_) return;
    ended_ = true;
    if (onEnd_) onEnd_();
}

}  // namespace tavrel::linux_qt
