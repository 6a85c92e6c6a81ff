// SPDX-License-Identifier: GPL-3.0-or-later
// The input service's loop and its answers to clients.
#include "input_service.h"

#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

namespace tavrel::inputd {
namespace {

constexpr std::size_t kMax = CountLedger::kMaxConnections;
// A flood of connections is taken a few at a time, so that the devices are read meanwhile.
constexpr int kAcceptsPerTurn = 16;

// False when the kernel refused: the timer is not armed and is to be set again next turn.
bool SetTimer(int fd, std::int64_t at) {
    itimerspec deadline{};
    if (at != Connection::kNoDeadline) {
        deadline.it_value.tv_sec = static_cast<time_t>(at / 1'000'000'000);
        deadline.it_value.tv_nsec = static_cast<long>(at % 1'000'000'000);
    }
    return timerfd_settime(fd, TFD_TIMER_ABSTIME, &deadline, nullptr) == 0;  // zero: stopped
}

void DrainTimer(int fd) {
    std::uint64_t expirations;
    [[maybe_unused]] const ssize_t n = read(fd, &expirations, sizeof expirations);
}

}  // namespace

std::int64_t InputService::Now() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

bool InputService::Start(UniqueFd listener) {
    if (!epoll_.Create()) return false;
    grid_.Reset(timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC));
    deadline_.Reset(timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC));
    if (!grid_.valid() || !deadline_.valid() || !epoll_.Add(grid_.get(), {Watched::Grid}) ||
        !epoll_.Add(deadline_.get(), {Watched::Deadline})) {
        return false;
    }
    listener_ = std::move(listener);
    if (listener_.valid() && !epoll_.Add(listener_.get(), {Watched::Listener})) return false;
    // Without logind nobody can be told apart from anybody: everyone is refused.
    if (!seat_.Start(epoll_)) {
        std::fprintf(stderr, "tavrel-inputd: cannot watch logind; refusing every client\n");
    }
    keeper_.RefreshSeat();
    if (!devices_.Start(epoll_)) {
        std::fprintf(stderr, "tavrel-inputd: cannot reach udev\n");
        return false;
    }
    return true;
}

int InputService::Run() {
    for (;;) {
        if (!RunOnce(-1)) {
            std::perror("tavrel-inputd: epoll_wait");
            return 1;
        }
    }
}

bool InputService::RunOnce(int timeoutMs) {
    epoll_event ready[32];
    const int n = epoll_wait(epoll_.fd(), ready, 32, timeoutMs);
    if (n < 0) return errno == EINTR;
    const std::int64_t now = Now();
    // The grid's point first: what it releases was counted before it. Then the sessions, so
    // that the input and the requests of this turn are judged by the seat as it is now.
    bool seatNews = false;
    for (int i = 0; i < n; ++i) {
        const EpollTag tag = EpollTag::Unpack(ready[i].data.u64);
        if (tag.what == Watched::Grid) OnGridPoint(now);
        if (tag.what == Watched::Sessions) seatNews = seat_.OnReady(tag) || seatNews;
    }
    if (seatNews) ChangeSeat();
    for (int i = 0; i < n; ++i) {
        const EpollTag tag = EpollTag::Unpack(ready[i].data.u64);
        switch (tag.what) {
            case Watched::Listener:
                Accept();
                break;
            case Watched::Hotplug:
            case Watched::Device:
                devices_.OnReady(tag, keeper_.Translator());
                break;
            case Watched::Client:
                OnClient(tag.index, now);
                break;
            case Watched::Deadline:
                OnDeadline(now);
                break;
            case Watched::Grid:
            case Watched::Sessions:
                break;
        }
    }
    SetTimers(now);
    return true;
}

void InputService::ChangeSeat() {
    // What the devices hold by now was typed before the change: when the counts go to another
    // owner it counts for nobody, so it reaches no next user. News that leaves the owner (a
    // login on another console) leaves it to be counted.
    if (keeper_.OwnerChanges()) {
        keeper_.Translator().SetCounting(false);
        devices_.DrainAll(keeper_.Translator());
    }
    keeper_.RefreshSeat();
}

void InputService::OnGridPoint(std::int64_t now) {
    DrainTimer(grid_.get());
    gridArmed_ = false;
    keeper_.ReachGridPoint();
    const std::int64_t period = CountKeeper::PeriodOf(now);
    for (std::size_t i = 0; i < kMax; ++i) {
        Connection& c = connections_[i];
        if (!c.open() || !c.exchange().pending) continue;
        Reply reply;
        Deliver(i, keeper_.Resume(c.exchange(), HaveDevices(), period, reply), reply);
    }
}

void InputService::Accept() {
    for (int i = 0; i < kAcceptsPerTurn; ++i) {
        UniqueFd fd(accept4(listener_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!fd.valid()) return;
        ucred peer{};
        socklen_t len = sizeof peer;
        if (getsockopt(fd.get(), SOL_SOCKET, SO_PEERCRED, &peer, &len) != 0 || len != sizeof peer) {
            continue;
        }
        Admit(std::move(fd), peer.uid);
    }
}

void InputService::Admit(UniqueFd client, std::uint32_t uid) {
    Exchange exchange;
    if (!keeper_.Open(uid, exchange)) return;  // no room for it: closed as it goes
    for (std::size_t i = 0; i < kMax; ++i) {
        Connection& c = connections_[i];
        if (c.open()) continue;
        if (!epoll_.Add(client.get(), {Watched::Client, static_cast<std::uint32_t>(i)},
                        EPOLLIN | EPOLLRDHUP)) {
            return;
        }
        c.Open(std::move(client), std::move(exchange), Now(), requestDeadlineNs_);
        return;
    }
}

std::size_t InputService::Clients() const {
    std::size_t open = 0;
    for (const Connection& c : connections_) open += c.open() ? 1 : 0;
    return open;
}

void InputService::OnClient(std::size_t index, std::int64_t now) {
    if (index >= kMax || !connections_[index].open()) return;
    Connection& c = connections_[index];
    Request request;
    switch (c.ReadRequest(request, now, requestDeadlineNs_)) {
        case Connection::Read::Closed:
            Drop(index);
            return;
        case Connection::Read::Nothing:
            return;
        case Connection::Read::Request:
            break;
    }
    Reply reply;
    const Verdict verdict =
        keeper_.Answer(c.exchange(), request, HaveDevices(), CountKeeper::PeriodOf(now), reply);
    Deliver(index, verdict, reply);
}

void InputService::Deliver(std::size_t index, Verdict verdict, const Reply& reply) {
    if (verdict == Verdict::Hold) return;
    // A client that does not read its replies loses its connection, not the service's time.
    if (!connections_[index].Send(reply) || verdict == Verdict::ReplyAndClose) Drop(index);
}

void InputService::Drop(std::size_t index) {
    Connection& c = connections_[index];
    if (!c.open()) return;
    epoll_.Remove(c.fd());
    c.Close();
}

void InputService::OnDeadline(std::int64_t now) {
    DrainTimer(deadline_.get());
    deadlineSetFor_ = Connection::kNoDeadline;
    for (std::size_t i = 0; i < kMax; ++i) {
        if (connections_[i].open() && connections_[i].deadline() <= now) Drop(i);
    }
}

void InputService::SetTimers(std::int64_t now) {
    bool gridWanted = keeper_.NeedsGridPoint();
    std::int64_t earliest = Connection::kNoDeadline;
    for (Connection& c : connections_) {
        if (!c.open()) continue;
        // A held Wait needs no point of its own: it is answered at the point that something
        // new brings.
        if (c.exchange().pending && c.exchange().pendingKind == RequestKind::Take) {
            gridWanted = true;
        }
        if (c.deadline() < earliest) earliest = c.deadline();
    }
    if (gridWanted && !gridArmed_) {
        gridArmed_ = SetTimer(grid_.get(), CountKeeper::NextPointNs(now));
    }
    if (earliest != deadlineSetFor_ && SetTimer(deadline_.get(), earliest)) {
        deadlineSetFor_ = earliest;
    }
}

}  // namespace tavrel::inputd
