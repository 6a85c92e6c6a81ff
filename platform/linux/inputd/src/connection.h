// SPDX-License-Identifier: GPL-3.0-or-later
// One client of the service: its socket, the request it is sending, what it has asked and
// been told, its account in the ledger. Closing it gives all of that back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

#include "tavrel/count_keeper.h"
#include "tavrel/inputd_protocol.h"
#include "tavrel/unique_fd.h"

namespace tavrel::inputd {

class Connection {
  public:
    static constexpr std::int64_t kNoDeadline = std::numeric_limits<std::int64_t>::max();

    bool open() const { return fd_.valid(); }
    int fd() const { return fd_.get(); }
    Exchange& exchange() { return exchange_; }

    // A client accepted at `now` (CLOCK_MONOTONIC, ns), whose first request is due by
    // `now + deadline`.
    void Open(UniqueFd fd, Exchange exchange, std::int64_t now, std::int64_t deadline);
    void Close();

    enum class Read { Nothing, Request, Closed };
    // Reads what has come (one read a wake-up); Request once a whole one is in `request`.
    // A part of a request must be followed by the rest within `deadline`.
    Read ReadRequest(Request& request, std::int64_t now, std::int64_t deadline);
    // Sends the reply without waiting; false if it could not go whole (the client does not
    // read its replies, or has gone), and the connection is to be closed.
    bool Send(const Reply& reply);

    // When the connection is closed unless its request is whole by then.
    std::int64_t deadline() const { return deadline_; }

  private:
    UniqueFd fd_;
    unsigned char request_[sizeof(Request)] = {};
    std::size_t filled_ = 0;
    std::int64_t deadline_ = kNoDeadline;
    Exchange exchange_;
};

}  // namespace tavrel::inputd
