// The seat's sessions as logind reports them: who is in front (sd-login) and whether the
// lock screen is up (the session's LockedHint, over the system bus).
#pragma once

#include <cstdint>

#include "tavrel/seat_access.h"

struct sd_bus;
struct sd_login_monitor;

namespace tavrel::inputd {

class LogindSessionSource final : public SessionSource {
  public:
    LogindSessionSource() = default;
    ~LogindSessionSource();
    LogindSessionSource(const LogindSessionSource&) = delete;
    LogindSessionSource& operator=(const LogindSessionSource&) = delete;

    // Adds the login monitor with tag `monitorTag` and the bus with `busTag` to the epoll
    // set. False if logind cannot be watched; without the bus, no session counts as locked.
    bool Start(int epollFd, std::uint64_t monitorTag, std::uint64_t busTag);
    // The login monitor woke: the caller reads the seat again.
    void OnMonitor();
    // Whether the bus announced a change of a session since the last call; reads what
    // waits on the bus first.
    bool TakeNews();

    SeatState Seat() override;

  private:
    bool LockedHint(const char* session);
    void DrainBus();

    sd_login_monitor* monitor_ = nullptr;
    sd_bus* bus_ = nullptr;
    bool busNews_ = false;
};

}  // namespace tavrel::inputd
