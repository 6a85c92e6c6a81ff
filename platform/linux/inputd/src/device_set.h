// SPDX-License-Identifier: GPL-3.0-or-later
// The keyboards, mice, touchpads, pointing sticks and tablets of the seat, open for reading
// (never grabbed), classified through udev, followed as they come and go.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>

#include "service_roles.h"
#include "tavrel/evdev_translation.h"
#include "tavrel/unique_fd.h"

struct udev;
struct udev_device;

namespace tavrel::inputd {

class DeviceSet final : public DeviceSource {
  public:
    static constexpr std::size_t kMaxDevices = 64;

    DeviceSet();
    ~DeviceSet();
    DeviceSet(const DeviceSet&) = delete;
    DeviceSet& operator=(const DeviceSet&) = delete;

    // The epoll set gets each open device tagged Device with its slot, and the hotplug watch
    // tagged Hotplug. False if udev or the watch cannot be had.
    bool Start(EpollSet& epoll) override;
    void OnReady(EpollTag tag, hooks::EvdevTranslator& translator) override;
    void DrainAll(hooks::EvdevTranslator& translator) override;
    std::size_t Count() const override { return count_; }

  private:
    struct Open {
        UniqueFd fd;
        dev_t devnum = 0;
        hooks::EvdevDevice device;
    };

    // Devices that came or went, as udev's database and /dev/input show.
    void OnHotplug(hooks::EvdevTranslator& translator);
    // Reads what the device in `slot` has and counts it; false when there was nothing.
    bool OnReadable(std::size_t slot, hooks::EvdevTranslator& translator);
    void ScanAll();
    // After a lost hotplug event: the devices gone are let go, the new ones opened.
    void Rescan(hooks::EvdevTranslator& translator);
    void Consider(dev_t devnum, hooks::EvdevTranslator& translator);
    void Add(::udev_device* dev);
    void Remove(std::size_t slot, hooks::EvdevTranslator& translator);
    void Resync(Open& open, hooks::EvdevTranslator& translator);
    // The slot of the open device with this number, or kMaxDevices.
    std::size_t Find(dev_t devnum) const;

    struct udev* udev_ = nullptr;
    EpollSet* epoll_ = nullptr;
    UniqueFd inotify_;
    int udevDataWatch_ = -1;
    Open open_[kMaxDevices];
    std::size_t count_ = 0;
};

}  // namespace tavrel::inputd
