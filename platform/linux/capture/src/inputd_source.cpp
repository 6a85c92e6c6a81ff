// The input service's client: one request in flight at a time, on a non-blocking socket.
#include "tavrel/inputd_source.h"

#include <poll.h>
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
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    started_ = false;
    awaitingReply_ = false;
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
    replyFill_ = 0;
    return true;
}

void InputdActivitySource::Disconnect(ServiceState why) {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    awaitingReply_ = false;
    replyFill_ = 0;
    state_ = why;
}

bool InputdActivitySource::SendRequest() {
    const inputd::Request request{inputd::kMagic, inputd::RequestKind::Take, doubleClickMs_, 0};
    const ssize_t sent = send(fd_, &request, sizeof request, MSG_DONTWAIT | MSG_NOSIGNAL);
    if (sent == static_cast<ssize_t>(sizeof request)) {
        awaitingReply_ = true;
        requestSent_ = Clock::now();
        return true;
    }
    if (sent < 0 && (errno == EAGAIN || errno == EINTR)) return false;  // next tick
    // A part of a message cannot be taken back: the stream is out of step.
    Disconnect(state_ == ServiceState::NotAnswering ? state_ : ServiceState::Lost);
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
        Disconnect(state_ == ServiceState::Incompatible ? state_
                   : answered                           ? ServiceState::Lost
                                                        : ServiceState::NotAnswering);
        return false;
    }
    replyFill_ += static_cast<std::size_t>(got);
    if (replyFill_ < sizeof reply_) return false;
    replyFill_ = 0;
    awaitingReply_ = false;
    HandleReply(record);
    return true;
}

void InputdActivitySource::HandleReply(MDTAG& record) {
    inputd::Reply reply;
    std::memcpy(&reply, reply_, sizeof reply);
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
    record = carried_;
    carried_ = MDTAG{};
    if (!started_) return;
    if (fd_ < 0) {
        if (Clock::now() < nextConnect_ || !Connect()) return;
    }
    if (awaitingReply_ && !ReadReply(record)) {
        if (fd_ >= 0 && Clock::now() - requestSent_ > kReplyLate) {
            state_ = ServiceState::NotAnswering;
        }
        return;
    }
    if (fd_ >= 0) SendRequest();
}

}  // namespace tavrel
