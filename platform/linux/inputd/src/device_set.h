// The keyboards, mice, touchpads, pointing sticks and tablets of the seat, open for reading
// (never grabbed), classified through udev, followed as they come and go.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>

#include "tavrel/evdev_translation.h"

struct udev;
struct udev_device;

namespace tavrel::inputd {

class DeviceSet {
  public:
    static constexpr std::size_t kMaxDevices = 64;

    DeviceSet();
    ~DeviceSet();
    DeviceSet(const DeviceSet&) = delete;
    DeviceSet& operator=(const DeviceSet&) = delete;

    // The epoll set gets each open device with tag base + slot, and the hotplug watch with
    // tag `watchTag`. False if udev or the watch cannot be had.
    bool Start(int epollFd, std::uint64_t base, std::uint64_t watchTag);
    // Devices that came or went, as udev's database and /dev/input show.
    void OnHotplug(hooks::EvdevTranslator& translator);
    // Reads what the device in `slot` has and counts it.
    void OnReadable(std::size_t slot, hooks::EvdevTranslator& translator);

    std::size_t Count() const { return count_; }

  private:
    struct Open {
        int fd = -1;
        dev_t devnum = 0;
        hooks::EvdevDevice device;
    };

    void ScanAll();
    void Consider(dev_t devnum);
    void Add(::udev_device* dev);
    void Remove(std::size_t slot, hooks::EvdevTranslator& translator);
    void Resync(Open& open, hooks::EvdevTranslator& translator);
    bool IsOpen(dev_t devnum) const;

    struct udev* udev_ = nullptr;
    int epollFd_ = -1;
    int inotifyFd_ = -1;
    int udevDataWatch_ = -1;
    std::uint64_t base_ = 0;
    Open open_[kMaxDevices];
    std::size_t count_ = 0;
};

}  // namespace tavrel::inputd
