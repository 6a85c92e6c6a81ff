// SPDX-License-Identifier: GPL-3.0-or-later
// The service's epoll set.
#include "epoll_set.h"

#include <sys/epoll.h>

namespace tavrel::inputd {

bool EpollSet::Create() {
    epoll_.Reset(epoll_create1(EPOLL_CLOEXEC));
    return epoll_.valid();
}

bool EpollSet::Add(int fd, EpollTag tag, std::uint32_t events) {
    epoll_event ev{};
    ev.events = events != 0 ? events : EPOLLIN;
    ev.data.u64 = tag.Pack();
    return epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, fd, &ev) == 0;
}

void EpollSet::Remove(int fd) {
    epoll_ctl(epoll_.get(), EPOLL_CTL_DEL, fd, nullptr);
}

}  // namespace tavrel::inputd
