// SPDX-License-Identifier: GPL-3.0-or-later
// Per connection, what the service has counted since that connection's previous Take. One
// set of running totals serves every connection: each keeps the totals it last took at, so
// an event costs the same with one client or many. The ledger also decides who gets room:
// nobody can take every slot, and strangers can take almost none.
#pragma once

#include <cstddef>
#include <cstdint>

#include "TavrelHooks.h"
#include "tavrel/evdev_translation.h"
#include "tavrel/seat_access.h"

namespace tavrel::inputd {

class CountLedger;

// A connection's entry in the ledger, given back when the handle goes.
class LedgerSlot {
  public:
    LedgerSlot() = default;
    LedgerSlot(CountLedger& ledger, int slot) : ledger_(&ledger), slot_(slot) {}
    LedgerSlot(const LedgerSlot&) = delete;
    LedgerSlot& operator=(const LedgerSlot&) = delete;
    LedgerSlot(LedgerSlot&& other) noexcept : ledger_(other.ledger_), slot_(other.slot_) {
        other.slot_ = -1;
    }
    LedgerSlot& operator=(LedgerSlot&& other) noexcept;
    ~LedgerSlot() { Release(); }

    bool valid() const { return slot_ >= 0; }
    int get() const { return slot_; }
    void Release();

  private:
    CountLedger* ledger_ = nullptr;
    int slot_ = -1;
};

class CountLedger {
  public:
    static constexpr std::size_t kMaxConnections = 64;
    // So that no one user can take every connection from the others.
    static constexpr std::size_t kMaxPerUser = 8;
    // Kept free for the user in front: nobody else can take the last of them.
    static constexpr std::size_t kKeptForFront = kMaxPerUser;
    // Users with no session on the seat are only ever told so; few at a time get that far.
    static constexpr std::size_t kMaxStrangers = 8;

    // A new connection from `uid`, of the given rank at the seat; counts start now. An invalid
    // slot when there is no room for it.
    LedgerSlot Open(std::uint32_t uid, Rank rank, const hooks::EvdevTotals& now);
    std::uint32_t Uid(int slot) const { return slots_[slot].uid; }

    // The user counted for has changed (another session in front, a lock, an unlock). The
    // old owner's connections keep what they had not taken yet, for their next Take; every
    // other connection starts afresh, so nobody is given another user's input.
    void OwnerChanged(const CountingOwner& previous, const hooks::EvdevTotals& now);

    // The counts for a connection allowed to have them, since its previous Take.
    MDTAG Take(int slot, const hooks::EvdevTotals& now);

  private:
    friend class LedgerSlot;
    void Close(int slot);

    struct Slot {
        bool used = false;
        std::uint32_t uid = 0;
        bool stranger = false;
        hooks::EvdevTotals takenAt;  // the totals at the previous Take
        hooks::EvdevTotals kept;     // counted for this user before the owner changed
    };
    Slot slots_[kMaxConnections];
};

}  // namespace tavrel::inputd
