// Who may have counts: the user whose session is in front on the devices' seat, and only
// while it is unlocked. The facts come from a SessionSource (logind in the service, a fake
// in tests); the rule itself is plain logic.
#pragma once

#include <cstddef>
#include <cstdint>

#include "tavrel/inputd_protocol.h"

namespace tavrel::inputd {

// The seat whose keyboards and mice the service reads.
constexpr char kSeat[] = "seat0";

// What logind says about the seat at one moment.
struct SeatState {
    static constexpr std::size_t kMaxUsers = 32;
    bool hasActive = false;  // a session is in front
    std::uint32_t activeUid = 0;
    bool activeLocked = false;  // the lock screen is up (LockedHint)
    // Every user with a session on the seat, the active one included; further users
    // beyond kMaxUsers are not listed and are told they are not seat users.
    std::uint32_t uids[kMaxUsers] = {};
    std::size_t uidCount = 0;

    bool HasUser(std::uint32_t uid) const;
};

// The role through which the service learns about sessions.
class SessionSource {
  public:
    // The seat's state now. Refreshing it may read files or ask the system bus.
    virtual SeatState Seat() = 0;

  protected:
    ~SessionSource() = default;
};

// The one user whose input is counted now, if any: the active session's owner while the
// session is not locked.
struct CountingOwner {
    bool any = false;
    std::uint32_t uid = 0;
    bool operator==(const CountingOwner& o) const { return any == o.any && (!any || uid == o.uid); }
    bool operator!=(const CountingOwner& o) const { return !(*this == o); }
};
CountingOwner OwnerOf(const SeatState& seat);

// The answer for a client running as `uid`.
Status AccessFor(std::uint32_t uid, const SeatState& seat, bool haveDevices);

}  // namespace tavrel::inputd
