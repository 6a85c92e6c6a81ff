// SPDX-License-Identifier: GPL-3.0-or-later
// The service's one thread: an epoll loop over the listening socket, the clients, the
// devices, logind, and two timers: the release grid's, which runs only while something was
// counted since its last point (or a request waits for the next one), and the half
// requests' deadline. While nothing happens it never wakes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "connection.h"
#include "epoll_set.h"
#include "service_roles.h"
#include "tavrel/count_keeper.h"
#include "tavrel/inputd_protocol.h"
#include "tavrel/unique_fd.h"

namespace tavrel::inputd {

class InputService {
  public:
    // A client must have sent its whole request this long after connecting or after its
    // request's first bytes; a client that does not only holds room.
    static constexpr std::int64_t kRequestDeadlineNs = 2'000'000'000;

    InputService(DeviceSource& devices, SeatWatch& seat,
                 std::int64_t requestDeadlineNs = kRequestDeadlineNs)
        : devices_(devices), seat_(seat), keeper_(seat), requestDeadlineNs_(requestDeadlineNs) {}
    InputService(const InputService&) = delete;
    InputService& operator=(const InputService&) = delete;

    // `listener` is the stream socket clients connect to (handed over by systemd); without
    // one, clients come only through Admit.
    bool Start(UniqueFd listener);
    // Runs until a fatal error; returns the exit status.
    int Run();
    // One turn: waits up to `timeoutMs` (-1: for ever) for something to happen and handles
    // it. False on a fatal error.
    bool RunOnce(int timeoutMs);

    // A connected client running as `uid`: taken in, or closed at once for want of room.
    void Admit(UniqueFd client, std::uint32_t uid);

    bool GridRunning() const { return gridArmed_; }
    std::size_t Clients() const;

  private:
    static std::int64_t Now();
    void Accept();
    void ChangeSeat();
    void OnGridPoint(std::int64_t now);
    void OnClient(std::size_t index, std::int64_t now);
    void OnDeadline(std::int64_t now);
    void Deliver(std::size_t index, Verdict verdict, const Reply& reply);
    void Drop(std::size_t index);
    // The grid's timer runs while a point has something to release or a request waits for
    // one; the deadline's is set to the earliest half request.
    void SetTimers(std::int64_t now);
    bool HaveDevices() const { return devices_.Count() > 0; }

    DeviceSource& devices_;
    SeatWatch& seat_;
    CountKeeper keeper_;
    std::int64_t requestDeadlineNs_;
    EpollSet epoll_;
    UniqueFd listener_;
    UniqueFd grid_;
    UniqueFd deadline_;
    bool gridArmed_ = false;
    std::int64_t deadlineSetFor_ = Connection::kNoDeadline;
    Connection connections_[CountLedger::kMaxConnections];
};

}  // namespace tavrel::inputd
