// SPDX-License-Identifier: GPL-3.0-or-later
// The service's one epoll set, and the tags that say which of its descriptors woke it.
#pragma once

#include <cstdint>

#include "tavrel/unique_fd.h"

namespace tavrel::inputd {

// What a ready descriptor is; `index` tells devices and clients apart.
enum class Watched : std::uint32_t {
    Listener = 1,
    Grid,      // the release grid's timer
    Deadline,  // the half requests' timer
    Hotplug,   // devices coming and going
    Sessions,  // logind and the system bus
    Device,
    Client,
};

struct EpollTag {
    Watched what;
    std::uint32_t index = 0;

    std::uint64_t Pack() const {
        return (static_cast<std::uint64_t>(what) << 32) | static_cast<std::uint64_t>(index);
    }
    static EpollTag Unpack(std::uint64_t packed) {
        return {static_cast<Watched>(packed >> 32), static_cast<std::uint32_t>(packed)};
    }
};

class EpollSet {
  public:
    // False when the kernel gives no epoll descriptor.
    bool Create();
    int fd() const { return epoll_.get(); }

    // `events` as epoll_event.events; EPOLLIN when not given.
    bool Add(int fd, EpollTag tag, std::uint32_t events = 0);
    void Remove(int fd);

  private:
    UniqueFd epoll_;
};

}  // namespace tavrel::inputd
