// The input service's loop and its answers to clients.
#include "input_service.h"

#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tavrel::inputd {
namespace {

constexpr std::uint64_t kListenTag = 1;
constexpr std::uint64_t kHotplugTag = 2;
constexpr std::uint64_t kMonitorTag = 3;
constexpr std::uint64_t kBusTag = 4;
constexpr std::uint64_t kDeviceBase = 1000;
constexpr std::uint64_t kClientBase = 2000;

}  // namespace

InputService::~InputService() {
    for (Client& c : clients_) {
        if (c.fd >= 0) close(c.fd);
    }
    if (epollFd_ >= 0) close(epollFd_);
}

bool InputService::Start(int listenFd) {
    listenFd_ = listenFd;
    epollFd_ = epoll_create1(EPOLL_CLOEXEC);
    if (epollFd_ < 0) return false;
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.u64 = kListenTag;
    if (epoll_ctl(epollFd_, EPOLL_CTL_ADD, listenFd_, &ev) != 0) return false;
    // Without logind nobody can be told apart from anybody: everyone is refused.
    if (!sessions_.Start(epollFd_, kMonitorTag, kBusTag)) {
        std::fprintf(stderr, "tavrel-inputd: cannot watch logind; refusing every client\n");
    }
    keeper_.RefreshSeat();
    if (!devices_.Start(epollFd_, kDeviceBase, kHotplugTag)) {
        std::fprintf(stderr, "tavrel-inputd: cannot reach udev\n");
        return false;
    }
    return true;
}

int InputService::Run() {
    epoll_event ready[32];
    for (;;) {
        const int n = epoll_wait(epollFd_, ready, 32, -1);
        if (n < 0) {
            if (errno == EINTR) continue;
            std::perror("tavrel-inputd: epoll_wait");
            return 1;
        }
        // Sessions first, so that the input and the requests of this round are judged by the
        // seat as it is now. The bus is read only when it has something: input alone costs
        // no syscall beyond its read.
        bool seatNews = false;
        for (int i = 0; i < n; ++i) {
            if (ready[i].data.u64 == kMonitorTag) {
                sessions_.OnMonitor();
                seatNews = true;
            }
            if (ready[i].data.u64 == kBusTag) seatNews = sessions_.TakeNews() || seatNews;
        }
        for (int tries = 0; seatNews && tries < 4; ++tries) {
            keeper_.RefreshSeat();
            seatNews = sessions_.TakeNews();
        }
        for (int i = 0; i < n; ++i) {
            const std::uint64_t tag = ready[i].data.u64;
            if (tag == kListenTag) {
                Accept();
            } else if (tag == kHotplugTag) {
                devices_.OnHotplug(keeper_.Translator());
            } else if (tag >= kClientBase) {
                OnClientReadable(static_cast<std::size_t>(tag - kClientBase));
            } else if (tag >= kDeviceBase) {
                devices_.OnReadable(static_cast<std::size_t>(tag - kDeviceBase),
                                    keeper_.Translator());
            }
        }
        if (heldCount_ > 0) EndWaits();
    }
}

void InputService::EndWaits() {
    for (std::size_t slot = 0; slot < CountLedger::kMaxConnections; ++slot) {
        Client& c = clients_[slot];
        Reply reply;
        if (c.fd < 0 || !c.held ||
            !keeper_.WaitIsOver(static_cast<int>(slot), devices_.Count() > 0, reply)) {
            continue;
        }
        c.held = false;
        --heldCount_;
        Send(slot, reply);
    }
}

void InputService::Accept() {
    const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;
    ucred peer{};
    socklen_t len = sizeof peer;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &len) != 0 || len != sizeof peer) {
        close(fd);
        return;
    }
    const int slot = keeper_.Open(peer.uid);
    if (slot < 0) {
        close(fd);  // too many connections, or too many of this user's
        return;
    }
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.u64 = kClientBase + static_cast<std::uint64_t>(slot);
    if (epoll_ctl(epollFd_, EPOLL_CTL_ADD, fd, &ev) != 0) {
        keeper_.Close(slot);
        close(fd);
        return;
    }
    clients_[slot].fd = fd;
    clients_[slot].filled = 0;
    clients_[slot].held = false;
}

void InputService::Drop(std::size_t slot) {
    Client& c = clients_[slot];
    if (c.fd < 0) return;
    epoll_ctl(epollFd_, EPOLL_CTL_DEL, c.fd, nullptr);
    close(c.fd);
    c.fd = -1;
    c.filled = 0;
    if (c.held) --heldCount_;
    c.held = false;
    keeper_.Close(static_cast<int>(slot));
}

void InputService::OnClientReadable(std::size_t slot) {
    if (slot >= CountLedger::kMaxConnections || clients_[slot].fd < 0) return;
    Client& c = clients_[slot];
    // One read a wake-up; a client that left half a request behind is closed at its end.
    const ssize_t n = recv(c.fd, c.request + c.filled, sizeof c.request - c.filled, 0);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
        Drop(slot);
        return;
    }
    if (n < 0) return;
    c.filled += static_cast<std::size_t>(n);
    if (c.filled < sizeof c.request) return;
    Request request;
    std::memcpy(&request, c.request, sizeof request);
    c.filled = 0;
    Answer(slot, request);
}

void InputService::Answer(std::size_t slot, const Request& request) {
    Reply reply;
    if (!keeper_.Answer(static_cast<int>(slot), request, devices_.Count() > 0, reply)) {
        clients_[slot].held = true;
        ++heldCount_;
        return;
    }
    Send(slot, reply);
}

void InputService::Send(std::size_t slot, const Reply& reply) {
    const bool wellFormed = reply.status != Status::BadRequest;
    // A client that does not read its replies loses its connection, not the service's time.
    const ssize_t sent = send(clients_[slot].fd, &reply, sizeof reply, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent != static_cast<ssize_t>(sizeof reply) || !wellFormed) Drop(slot);
}

}  // namespace tavrel::inputd
