// SPDX-License-Identifier: GPL-3.0-or-later
// The input service's client: every tick hands in the reply to the previous tick's request
// and sends the next one, both without waiting, so the counts arrive one tick late and the
// GUI thread never blocks. A broken connection is retried once a second.
//
// To let the program stop its timer, ArmWake hands the connection to a thread of the source
// until the next tick takes it back. The thread reads the reply to the last Take and then
// sends a Wait, which the service answers only at the next count or change of status; it
// sleeps in poll until that reply (or the end of the connection) arrives, then posts one
// wake-up. What it read is handed in by the next tick.
//
// It speaks version 2 of the messages; a service that answers in version 1 is older than
// the program, and the user is told to install this version's package.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

#include "tavrel/activity_source.h"
#include "tavrel/inputd_protocol.h"
#include "tavrel/source_pick.h"

namespace tavrel {

class InputdActivitySource final : public ActivitySource {
  public:
    // TAVREL_INPUTD_SOCKET, when set, names another socket: tests run a fake service there.
    static std::string DefaultSocketPath();

    explicit InputdActivitySource(
        std::uint32_t doubleClickMs, std::string socketPath = DefaultSocketPath(),
        std::chrono::milliseconds firstReplyWait = std::chrono::milliseconds(3000));
    ~InputdActivitySource();
    InputdActivitySource(const InputdActivitySource&) = delete;
    InputdActivitySource& operator=(const InputdActivitySource&) = delete;

    // Connects and waits for the first reply (at most firstReplyWait: a socket-activated
    // service may still be starting); a service that does not answer yet may answer later.
    CaptureStatus Start() override;
    void Stop() override;
    void Take(MDTAG& record) override;
    CaptureStatus Status() override;
    bool ArmWake(WakeTarget& target) override;

    ServiceState state() const { return state_.load(); }

  private:
    using Clock = std::chrono::steady_clock;

    bool Connect();
    void Disconnect(ServiceState why);
    bool SendRequest(inputd::RequestKind kind = inputd::RequestKind::Take);
    void StopWatching();
    void Watch();  // the watcher thread
    // Reads what has arrived; true once a whole reply is in and handled.
    bool ReadReply(MDTAG& record);
    void HandleReply(MDTAG& record);

    std::uint32_t doubleClickMs_;
    std::string socketPath_;
    std::chrono::milliseconds firstReplyWait_;
    int fd_ = -1;
    bool started_ = false;
    bool awaitingReply_ = false;
    Clock::time_point nextConnect_{};
    Clock::time_point requestSent_{};
    // Read by the GUI thread while the watcher may set it.
    std::atomic<ServiceState> state_{ServiceState::NotAnswering};
    unsigned char reply_[sizeof(inputd::Reply)] = {};
    std::size_t replyFill_ = 0;
    MDTAG carried_{};       // the answer Start waited for, handed out by the first Take
    bool waiting_ = false;  // the request in flight is a Wait: no reply is late
    WakeLatch wake_;
    int stopWatching_ = -1;  // an eventfd that ends the watch
    std::thread watcher_;
};

}  // namespace tavrel
