// SPDX-License-Identifier: GPL-3.0-or-later
// The input service's client: one request in flight at a time, on a non-blocking socket.
#include "tavrel/inputd_source.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace tavrel {

namespace {

constexpr auto kRetryEvery = std::chrono::seconds(1);
// A service of another version will not change by itself: ask seldom.
constexpr auto kRetryIncompatibleEvery = std::chrono::seconds(5);
// Longer without a reply, and the service is taken not to answer (while still waited for).
constexpr auto kReplyLate = std::chrono::seconds(3);

// Counts the service could not have made: a peer that sends them is not the service.
bool Plausible(const MDTAG& counts) {
    const auto distance = [](float d) { return std::isfinite(d) && d >= 0.0f; };
    return distance(counts.moveDistance) && distance(counts.dragDistance) &&
           counts.doubleClicks >= 0 && counts.keys >= 0;
}

void Add(MDTAG& total, const MDTAG& more) {
    total.moveDistance += more.moveDistance;
    total.dragDistance += more.dragDistance;
    total.clicks += more.clicks;
    total.doubleClicks += more.doubleClicks;
    total.keys += more.keys;
}

}  // namespace

std::string InputdActivitySource::DefaultSocketPath() {
    const char* path = std::getenv("TAVREL_INPUTD_SOCKET");
    return path != nullptr && path[0] != '\0' ? std::string(path)
                                              : std::string(inputd::kSocketPath);
}

InputdActivitySource::InputdActivitySource(std::uint32_t doubleClickMs, std::string socketPath,
                                           std::chrono::milliseconds firstReplyWait)
    : doubleClickMs_(doubleClickMs),
      socketPath_(std::move(socketPath)),
      firstReplyWait_(firstReplyWait) {}

InputdActivitySource::~InputdActivitySource() {
    Stop();
    if (stopWatching_ >= 0) close(stopWatching_);
}

CaptureStatus InputdActivitySource::Start() {
    if (started_) return Status();
    started_ = true;
    state_ = ServiceState::NotAnswering;
    if (!Connect() || !SendRequest()) return Status();

    // What was counted since the connection was accepted goes to the first tick.
    const Clock::time_point deadline = Clock::now() + firstReplyWait_;
    while (fd_ >= 0 && awaitingReply_) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) break;
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) < 0 && errno != EINTR) break;
        ReadReply(carried_);
    }
    return Status();
}

void InputdActivitySource::Stop() {
    StopWatching();
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    started_ = false;
    awaitingReply_ = false;
    waiting_ = false;
    replyFill_ = 0;
    carried_ = MDTAG{};
    state_ = ServiceState::NotAnswering;
}

CaptureStatus InputdActivitySource::Status() {
    // On its own this source has no X11 programs to fall back on.
    return PickSource(SessionKind::Wayland, state_, CaptureStatus{CaptureHealth::NotCounting})
        .status;
}

bool InputdActivitySource::Connect() {
    nextConnect_ = Clock::now() +
                   (state_ == ServiceState::Incompatible ? kRetryIncompatibleEvery : kRetryEvery);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath_.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, socketPath_.c_str(), socketPath_.size() + 1);

    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    // A Unix socket connects at once or not at all; EAGAIN (a full backlog) is tried again.
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return false;
    }
    fd_ = fd;
    awaitingReply_ = false;
    waiting_ = false;
    replyFill_ = 0;
    return true;
}

void InputdActivitySource::Disconnect(ServiceState why) {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    awaitingReply_ = false;
    waiting_ = false;
    replyFill_ = 0;
    state_ = why;
}

bool InputdActivitySource::SendRequest(inputd::RequestKind kind) {
    const inputd::Request request{inputd::kMagic, kind, doubleClickMs_, 0};
    const ssize_t sent = send(fd_, &request, sizeof request, MSG_DONTWAIT | MSG_NOSIGNAL);
    if (sent == static_cast<ssize_t>(sizeof request)) {
        awaitingReply_ = true;
        waiting_ = kind == inputd::RequestKind::Wait;
        requestSent_ = Clock::now();
        return true;
    }
    if (sent < 0 && (errno == EAGAIN || errno == EINTR)) return false;  // next tick
    // A part of a message cannot be taken back: the stream is out of step.
    Disconnect(state_ == ServiceState::NotAnswering ? state_.load() : ServiceState::Lost);
    return false;
}

bool InputdActivitySource::ReadReply(MDTAG& record) {
    const ssize_t got = recv(fd_, reply_ + replyFill_, sizeof reply_ - replyFill_, MSG_DONTWAIT);
    if (got < 0) {
        if (errno == EAGAIN || errno == EINTR) return false;
    }
    if (got <= 0) {
        // Closed or broken. A service that never answered still has not.
        const bool answered = state_ != ServiceState::NotAnswering;
        Disconnect(state_ == ServiceState::Incompatible ? state_.load()
                   : answered                           ? ServiceState::Lost
                                                        : ServiceState::NotAnswering);
        return false;
    }
    replyFill_ += static_cast<std::size_t>(got);
    if (replyFill_ < sizeof reply_) return false;
    replyFill_ = 0;
    awaitingReply_ = false;
    waiting_ = false;
    HandleReply(record);
    return true;
}

void InputdActivitySource::HandleReply(MDTAG& record) {
    inputd::Reply reply;
    std::memcpy(&reply, reply_, sizeof reply);
    // A reply in version 1's magic comes from a service older than this client.
    if (reply.magic != inputd::kMagic) {
        Disconnect(ServiceState::Incompatible);
        return;
    }
    switch (reply.status) {
        case inputd::Status::Counting:
            if (!Plausible(reply.counts)) {
                Disconnect(ServiceState::Incompatible);
                return;
            }
            Add(record, reply.counts);
            state_ = ServiceState::Counting;
            return;
        case inputd::Status::SessionInactive:
            state_ = ServiceState::SessionInactive;
            return;
        case inputd::Status::NotSeatUser:
            state_ = ServiceState::NotSeatUser;
            return;
        case inputd::Status::NoDevices:
            state_ = ServiceState::NoDevices;
            return;
        default:  // BadRequest, after which the service closes, or a status unknown here
            Disconnect(ServiceState::Incompatible);
            return;
    }
}

void InputdActivitySource::Take(MDTAG& record) {
    StopWatching();
    record = carried_;
    carried_ = MDTAG{};
    if (!started_) return;
    if (fd_ < 0) {
        if (Clock::now() < nextConnect_ || !Connect()) return;
    }
    if (awaitingReply_ && !ReadReply(record)) {
        // A Wait is answered when there is something to say, however late that is.
        if (fd_ >= 0 && !waiting_ && Clock::now() - requestSent_ > kReplyLate) {
            state_ = ServiceState::NotAnswering;
        }
        return;
    }
    if (fd_ >= 0) SendRequest();
}

bool InputdActivitySource::ArmWake(WakeTarget& target) {
    if (!started_ || fd_ < 0 || watcher_.joinable()) return false;
    if (stopWatching_ < 0) stopWatching_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (stopWatching_ < 0 || inputd::HasCounts(carried_)) return false;
    wake_.Arm(target);
    // The connection is the watcher's until the next tick joins it.
    watcher_ = std::thread([this] { Watch(); });
    return true;
}

void InputdActivitySource::Watch() {
    for (;;) {
        // The reply to the last Take comes first: only with nothing in it is a Wait sent.
        if (!awaitingReply_ && !SendRequest(inputd::RequestKind::Wait)) break;
        pollfd watched[2] = {{fd_, POLLIN, 0}, {stopWatching_, POLLIN, 0}};
        if (poll(watched, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (watched[1].revents != 0) return;  // the program woke by itself
        const bool wasWait = waiting_;
        const ServiceState before = state_;
        if (!ReadReply(carried_)) {
            if (fd_ < 0) break;
            continue;  // a part of a reply
        }
        if (wasWait || fd_ < 0 || state_ != before || inputd::HasCounts(carried_)) break;
    }
    // Counts, news or a lost connection: the next tick hands them in.
    wake_.Notify();
}

void InputdActivitySource::StopWatching() {
    if (!watcher_.joinable()) return;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(stopWatching_, &one, sizeof one);
    watcher_.join();
    std::uint64_t drained;
    while (read(stopWatching_, &drained, sizeof drained) > 0) {
    }
    wake_.Disarm();
}

}  // namespace tavrel
