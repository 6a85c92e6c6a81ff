// SPDX-License-Identifier: GPL-3.0-or-later
// What the service's loop reaches the kernel's devices and logind through: the real ones in
// the service (udev and evdev, sd-login and the system bus), fakes in the loop's tests.
#pragma once

#include <cstddef>

#include "epoll_set.h"
#include "tavrel/evdev_translation.h"
#include "tavrel/seat_access.h"

namespace tavrel::inputd {

class DeviceSource {
  public:
    // Adds its descriptors to the set, tagged Device (with an index) and Hotplug. False if
    // devices cannot be followed at all.
    virtual bool Start(EpollSet& epoll) = 0;
    // One of its descriptors is ready: reads it, and counts what it holds.
    virtual void OnReady(EpollTag tag, hooks::EvdevTranslator& translator) = 0;
    // Reads everything every device holds by now (before a change of the seat applies).
    virtual void DrainAll(hooks::EvdevTranslator& translator) = 0;
    // The keyboards and pointing devices open for reading.
    virtual std::size_t Count() const = 0;

  protected:
    ~DeviceSource() = default;
};

class SeatWatch : public SessionSource {
  public:
    // Adds its descriptors to the set, tagged Sessions. False if logind cannot be watched:
    // then nobody is anybody, and everyone is refused.
    virtual bool Start(EpollSet& epoll) = 0;
    // One of its descriptors is ready: true when the seat may have changed.
    virtual bool OnReady(EpollTag tag) = 0;

  protected:
    ~SeatWatch() = default;
};

}  // namespace tavrel::inputd
