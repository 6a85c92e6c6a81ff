// Per connection, what the service has counted since that connection's previous Take. One
// set of running totals serves every connection: each keeps the totals it last took at, so
// an event costs the same with one client or many.
#pragma once

#include <cstddef>
#include <cstdint>

#include "TavrelHooks.h"
#include "tavrel/evdev_translation.h"
#include "tavrel/seat_access.h"

namespace tavrel::inputd {

class CountLedger {
  public:
    static constexpr std::size_t kMaxConnections = 64;
    // So that no one user can take every connection from the others.
    static constexpr std::size_t kMaxPerUser = 8;

    // A new connection from `uid`; counts start now. -1 when there is no room for it.
    int Open(std::uint32_t uid, const hooks::EvdevTotals& now);
    void Close(int slot);
    std::uint32_t Uid(int slot) const { return slots_[slot].uid; }

    // The user counted for has changed (another session in front, a lock, an unlock). The
    // old owner's connections keep what they had not taken yet, for their next Take; every
    // other connection starts afresh, so nobody is given another user's input.
    void OwnerChanged(const CountingOwner& previous, const hooks::EvdevTotals& now);

    // The counts for a connection allowed to have them, since its previous Take.
    MDTAG Take(int slot, const hooks::EvdevTotals& now);

  private:
    struct Slot {
        bool used = false;
        std::uint32_t uid = 0;
        hooks::EvdevTotals takenAt;  // the totals at the previous Take
        hooks::EvdevTotals kept;     // counted for this user before the owner changed
    };
    Slot slots_[kMaxConnections];
};

}  // namespace tavrel::inputd
