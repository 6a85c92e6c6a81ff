// SPDX-License-Identifier: GPL-3.0-or-later
// Finding, opening and reading the seat's input devices.
//
// Hotplug is followed through the file system, not udev's netlink monitor: the service runs
// in a private network namespace, where netlink carries no device events. udev writes a
// device's database entry (/run/udev/data/c<major>:<minor>) once its rules have run, and
// removes it when the device goes; the node's change of group when udev hands it to
// `input` is watched too, for a device whose entry came before its permissions.
#include "device_set.h"

#include <fcntl.h>
#include <libudev.h>
#include <linux/input.h>
#include <sys/epoll.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "tavrel/seat_access.h"

namespace tavrel::inputd {
namespace {

using hooks::EvdevDevice;
using hooks::EvdevEvent;

static_assert(EV_SYN == hooks::evdev::EvSyn && EV_KEY == hooks::evdev::EvKey &&
                  EV_REL == hooks::evdev::EvRel && EV_ABS == hooks::evdev::EvAbs,
              "event types");
static_assert(SYN_REPORT == hooks::evdev::SynReport && SYN_DROPPED == hooks::evdev::SynDropped,
              "sync codes");
static_assert(BTN_LEFT == hooks::evdev::BtnLeft && BTN_TASK == hooks::evdev::BtnTask &&
                  BTN_TOUCH == hooks::evdev::BtnTouch &&
                  BTN_TOOL_FINGER == hooks::evdev::BtnToolFinger &&
                  BTN_TOOL_PEN == hooks::evdev::BtnToolPen && KEY_OK == hooks::evdev::KeyOk &&
                  BTN_TRIGGER_HAPPY == hooks::evdev::BtnTriggerHappy,
              "key codes");

constexpr char kUdevData[] = "/run/udev/data";
constexpr char kDevInput[] = "/dev/input";
constexpr unsigned kInputMajor = 13;

bool Property(struct udev_device* dev, const char* name) {
    const char* v = udev_device_get_property_value(dev, name);
    return v != nullptr && std::strcmp(v, "1") == 0;
}

// "c13:68" or "event4": the device number it names, or 0.
dev_t DevnumFromDataName(const char* name) {
    unsigned major = 0, minor = 0;
    char tail = 0;
    if (std::sscanf(name, "c%u:%u%c", &major, &minor, &tail) != 2) return 0;
    return major == kInputMajor ? makedev(major, minor) : 0;
}

std::int32_t AxisResolution(int fd, int axis, std::int32_t& value) {
    struct input_absinfo info {};
    if (ioctl(fd, EVIOCGABS(axis), &info) != 0) return -1;
    value = info.value;
    return info.resolution;
}

bool BitSet(const unsigned char* bits, int n) {
    return (bits[n / 8] >> (n % 8)) & 1;
}

// Whether the device behind a descriptor is still there: a removed one answers ENODEV.
bool Alive(int fd) {
    int version = 0;
    return ioctl(fd, EVIOCGVERSION, &version) == 0 || errno != ENODEV;
}

}  // namespace

DeviceSet::DeviceSet() = default;

DeviceSet::~DeviceSet() {
    if (udev_ != nullptr) udev_unref(udev_);
}

bool DeviceSet::Start(EpollSet& epoll) {
    epoll_ = &epoll;
    udev_ = udev_new();
    if (udev_ == nullptr) return false;
    inotify_.Reset(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (!inotify_.valid()) return false;
    udevDataWatch_ =
        inotify_add_watch(inotify_.get(), kUdevData, IN_MOVED_TO | IN_CREATE | IN_DELETE);
    // A device whose rights come after its udev entry is found through this watch: say when
    // it cannot be had.
    if (inotify_add_watch(inotify_.get(), kDevInput, IN_ATTRIB | IN_DELETE) < 0) {
        std::fprintf(stderr, "tavrel-inputd: cannot watch %s\n", kDevInput);
    }
    if (udevDataWatch_ < 0) std::fprintf(stderr, "tavrel-inputd: cannot watch %s\n", kUdevData);
    if (!epoll.Add(inotify_.get(), {Watched::Hotplug})) return false;
    ScanAll();
    return true;
}

void DeviceSet::OnReady(EpollTag tag, hooks::EvdevTranslator& translator) {
    if (tag.what == Watched::Hotplug) {
        OnHotplug(translator);
    } else if (tag.what == Watched::Device) {
        OnReadable(tag.index, translator);
    }
}

void DeviceSet::DrainAll(hooks::EvdevTranslator& translator) {
    for (std::size_t slot = 0; slot < kMaxDevices; ++slot) {
        // A device's buffer holds a few thousand events at most: a bound, not a wait.
        for (int reads = 0; reads < 256 && OnReadable(slot, translator); ++reads) {
        }
    }
}

void DeviceSet::ScanAll() {
    struct udev_enumerate* e = udev_enumerate_new(udev_);
    if (e == nullptr) return;
    udev_enumerate_add_match_subsystem(e, "input");
    udev_enumerate_add_match_sysname(e, "event*");
    udev_enumerate_scan_devices(e);
    struct udev_list_entry* entry;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(e)) {
        struct udev_device* dev =
            udev_device_new_from_syspath(udev_, udev_list_entry_get_name(entry));
        if (dev == nullptr) continue;
        Add(dev);
        udev_device_unref(dev);
    }
    udev_enumerate_unref(e);
}

void DeviceSet::Rescan(hooks::EvdevTranslator& translator) {
    for (std::size_t slot = 0; slot < kMaxDevices; ++slot) {
        if (open_[slot].fd.valid() && !Alive(open_[slot].fd.get())) Remove(slot, translator);
    }
    ScanAll();
}

std::size_t DeviceSet::Find(dev_t devnum) const {
    for (std::size_t i = 0; i < kMaxDevices; ++i) {
        if (open_[i].fd.valid() && open_[i].devnum == devnum) return i;
    }
    return kMaxDevices;
}

void DeviceSet::Consider(dev_t devnum, hooks::EvdevTranslator& translator) {
    if (devnum == 0) return;
    const std::size_t slot = Find(devnum);
    if (slot < kMaxDevices) {
        // A number given to a new device while the old one's descriptor is still open: the
        // old one is gone, and the new one is opened afresh.
        if (Alive(open_[slot].fd.get())) return;
        Remove(slot, translator);
    }
    struct udev_device* dev = udev_device_new_from_devnum(udev_, 'c', devnum);
    if (dev == nullptr) return;
    Add(dev);
    udev_device_unref(dev);
}

void DeviceSet::Add(struct udev_device* dev) {
    const char* node = udev_device_get_devnode(dev);
    const char* sysname = udev_device_get_sysname(dev);
    if (node == nullptr || sysname == nullptr || std::strncmp(sysname, "event", 5) != 0) return;
    // Before udev has run its rules the device has no classification yet; its database
    // entry, when written, brings it back here.
    if (!udev_device_get_is_initialized(dev)) return;
    const char* seat = udev_device_get_property_value(dev, "ID_SEAT");
    if (seat != nullptr && std::strcmp(seat, kSeat) != 0) return;
    // Every device with keys, as X11 counts them: keypads, foot pedals, presenters and macro
    // pads as well as keyboards.
    const bool keys = Property(dev, "ID_INPUT_KEYBOARD") || Property(dev, "ID_INPUT_KEY");
    const bool mouse = Property(dev, "ID_INPUT_MOUSE") || Property(dev, "ID_INPUT_POINTINGSTICK");
    const bool touchpad = Property(dev, "ID_INPUT_TOUCHPAD");
    const bool tablet = Property(dev, "ID_INPUT_TABLET") && !touchpad;
    if (!keys && !mouse && !touchpad && !tablet) return;  // joysticks, switches, screens
    const dev_t devnum = udev_device_get_devnum(dev);
    if (Find(devnum) < kMaxDevices) return;

    std::size_t slot = 0;
    while (slot < kMaxDevices && open_[slot].fd.valid()) ++slot;
    if (slot == kMaxDevices) return;
    // Read-only and never grabbed: the desktop keeps getting every event.
    UniqueFd fd(open(node, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) return;  // no permission yet: the change of group brings it back

    EvdevDevice device{};
    if (mouse) {
        device.info.relativeScale = hooks::RelativeScale(
            hooks::ParseMouseDpi(udev_device_get_property_value(dev, "MOUSE_DPI")));
    }
    if (touchpad || tablet) {
        const std::int32_t rx = AxisResolution(fd.get(), ABS_X, device.state.absX);
        const std::int32_t ry = AxisResolution(fd.get(), ABS_Y, device.state.absY);
        if (rx >= 0 && ry >= 0) {
            device.info.absoluteScaleX = hooks::AbsoluteScale(rx);
            device.info.absoluteScaleY = hooks::AbsoluteScale(ry);
            device.info.touchpad = touchpad;
        }
    }
    if (!epoll_->Add(fd.get(), {Watched::Device, static_cast<std::uint32_t>(slot)})) return;
    open_[slot].fd = std::move(fd);
    open_[slot].devnum = devnum;
    open_[slot].device = device;
    ++count_;
    std::fprintf(stderr, "tavrel-inputd: reading %s (%s%s%s%s)\n", node, keys ? "keys " : "",
                 mouse ? "mouse " : "", touchpad ? "touchpad " : "", tablet ? "tablet " : "");
}

void DeviceSet::Remove(std::size_t slot, hooks::EvdevTranslator& translator) {
    Open& o = open_[slot];
    if (!o.fd.valid()) return;
    translator.Forget(o.device);
    epoll_->Remove(o.fd.get());
    o = Open{};
    --count_;
}

void DeviceSet::OnHotplug(hooks::EvdevTranslator& translator) {
    alignas(inotify_event) char buf[4096];
    for (;;) {
        const ssize_t n = read(inotify_.get(), buf, sizeof buf);
        if (n <= 0) break;
        for (ssize_t at = 0; at < n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(buf + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
            if (e->mask & IN_Q_OVERFLOW) {
                // Events were lost: look at everything again.
                Rescan(translator);
                continue;
            }
            if (e->len == 0) continue;
            dev_t devnum = 0;
            if (e->wd == udevDataWatch_) {
                devnum = DevnumFromDataName(e->name);
            } else if (std::strncmp(e->name, "event", 5) == 0) {
                struct udev_device* dev =
                    udev_device_new_from_subsystem_sysname(udev_, "input", e->name);
                if (dev != nullptr) {
                    devnum = udev_device_get_devnum(dev);
                    udev_device_unref(dev);
                }
            }
            if (devnum == 0) continue;
            if (e->mask & IN_DELETE) {
                const std::size_t slot = Find(devnum);
                if (slot < kMaxDevices) Remove(slot, translator);
            } else {
                Consider(devnum, translator);
            }
        }
    }
}

void DeviceSet::Resync(Open& open, hooks::EvdevTranslator& translator) {
    unsigned char keys[KEY_MAX / 8 + 1] = {};
    if (ioctl(open.fd.get(), EVIOCGKEY(sizeof keys), keys) < 0) return;
    std::uint8_t held = 0;
    for (int b = BTN_LEFT; b <= BTN_TASK; ++b) {
        if (BitSet(keys, b)) held |= static_cast<std::uint8_t>(1u << (b - BTN_LEFT));
    }
    translator.Resync(open.device, held, BitSet(keys, BTN_TOUCH), BitSet(keys, BTN_TOOL_FINGER));
}

bool DeviceSet::OnReadable(std::size_t slot, hooks::EvdevTranslator& translator) {
    if (slot >= kMaxDevices || !open_[slot].fd.valid()) return false;
    Open& o = open_[slot];
    input_event events[64];
    // One read a wake-up: if more is waiting, epoll reports the device again.
    const ssize_t n = read(o.fd.get(), events, sizeof events);
    if (n < 0) {
        if (errno == EAGAIN || errno == EINTR) return false;
        Remove(slot, translator);  // ENODEV: unplugged
        return false;
    }
    if (n == 0) {
        Remove(slot, translator);
        return false;
    }
    const std::size_t count = static_cast<std::size_t>(n) / sizeof(input_event);
    for (std::size_t i = 0; i < count; ++i) {
        const input_event& e = events[i];
        const auto ms =
            static_cast<std::uint32_t>(static_cast<std::uint64_t>(e.input_event_sec) * 1000u +
                                       static_cast<std::uint64_t>(e.input_event_usec) / 1000u);
        translator.Translate(o.device, EvdevEvent{ms, e.type, e.code, e.value});
    }
    if (o.device.state.needsResync) Resync(o, translator);
    return true;
}

}  // namespace tavrel::inputd
