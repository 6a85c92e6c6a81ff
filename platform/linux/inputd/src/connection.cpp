// SPDX-License-Identifier: GPL-3.0-or-later
// One client of the service.
#include "connection.h"

#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace tavrel::inputd {

void Connection::Open(UniqueFd fd, Exchange exchange, std::int64_t now, std::int64_t deadline) {
    fd_ = std::move(fd);
    exchange_ = std::move(exchange);
    filled_ = 0;
    // A client connects to ask: one that does not within the deadline only holds room.
    deadline_ = now + deadline;
}

void Connection::Close() {
    fd_.Reset();
    exchange_ = Exchange{};  // gives its ledger slot back
    filled_ = 0;
    deadline_ = kNoDeadline;
}

Connection::Read Connection::ReadRequest(Request& request, std::int64_t now,
                                         std::int64_t deadline) {
    const ssize_t n = recv(fd_.get(), request_ + filled_, sizeof request_ - filled_, 0);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) return Read::Closed;
    if (n < 0) return Read::Nothing;
    if (filled_ == 0 && deadline_ == kNoDeadline) deadline_ = now + deadline;
    filled_ += static_cast<std::size_t>(n);
    if (filled_ < sizeof request_) return Read::Nothing;
    std::memcpy(&request, request_, sizeof request);
    filled_ = 0;
    deadline_ = kNoDeadline;
    return Read::Request;
}

bool Connection::Send(const Reply& reply) {
    const ssize_t sent = send(fd_.get(), &reply, sizeof reply, MSG_NOSIGNAL | MSG_DONTWAIT);
    return sent == static_cast<ssize_t>(sizeof reply);
}

}  // namespace tavrel::inputd
