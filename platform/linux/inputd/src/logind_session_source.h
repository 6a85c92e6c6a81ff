// SPDX-License-Identifier: GPL-3.0-or-later
// The seat's sessions as logind reports them: who is in front and of what class (sd-login's
// files), and whether that session is locked (its LockedHint and logind's Lock and Unlock
// signals, over the system bus). Nothing here blocks: the bus is read asynchronously, on an
// sd-event loop whose one descriptor sits in the service's epoll set. Whatever is not known
// (a lost bus, an answer still due) reads as locked; a lost bus is connected again.
#pragma once

#include <cstdint>
#include <string>

#include "service_roles.h"
#include "tavrel/seat_access.h"

#include <systemd/sd-bus.h>
#include <systemd/sd-event.h>
#include <systemd/sd-login.h>

namespace tavrel::inputd {

class LogindSessionSource final : public SeatWatch {
  public:
    LogindSessionSource() = default;
    ~LogindSessionSource();
    LogindSessionSource(const LogindSessionSource&) = delete;
    LogindSessionSource& operator=(const LogindSessionSource&) = delete;

    bool Start(EpollSet& epoll) override;
    bool OnReady(EpollTag tag) override;
    SeatState Seat() override { return seat_; }

  private:
    static int OnMonitor(sd_event_source*, int fd, std::uint32_t revents, void* self);
    static int OnRetry(sd_event_source*, std::uint64_t usec, void* self);
    static int OnDisconnected(sd_bus_message*, void* self, sd_bus_error*);
    static int OnPropertiesChanged(sd_bus_message* m, void* self, sd_bus_error*);
    static int OnLockSignal(sd_bus_message* m, void* self, sd_bus_error*);
    static int OnLockedHintRead(sd_bus_message* m, void* self, sd_bus_error*);

    // Reads the seat from sd-login's files and the lock as last learnt; news when it changed.
    void Refresh();
    bool ConnectBus();
    void DropBus();
    void RetryLater();
    void ReadLockedHint();
    bool AboutFront(sd_bus_message* m) const;

    sd_event* event_ = nullptr;
    sd_login_monitor* monitor_ = nullptr;
    sd_event_source* monitorSource_ = nullptr;
    sd_event_source* retry_ = nullptr;
    std::uint64_t retryDelayUs_ = 0;
    sd_bus* bus_ = nullptr;
    bool busLost_ = false;
    sd_bus_slot* hintCall_ = nullptr;  // the LockedHint read in flight
    std::string front_;                // the session in front whose lock is followed
    std::string frontPath_;            // its object on the bus
    LockRule lock_;
    SeatState seat_;
    bool news_ = false;
};

}  // namespace tavrel::inputd
