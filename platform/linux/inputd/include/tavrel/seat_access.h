// SPDX-License-Identifier: GPL-3.0-or-later
// Who may have counts: the user whose session of class `user` is in front on the devices'
// seat, and only while it is known to be unlocked. The facts come from a SessionSource
// (logind in the service, a fake in tests); the rules themselves are plain logic, and every
// doubt counts for nobody.
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
    // A session of class `user` is in front. A display manager's login screen (class
    // `greeter`) and any other class count for nobody.
    bool hasActive = false;
    std::uint32_t activeUid = 0;
    // Whether the session in front is locked, as far as it is known; while it is not known
    // (the bus is gone, logind has not answered yet) nothing counts.
    bool lockKnown = false;
    bool activeLocked = false;
    // Logind has been asked and its answer is due: a request of the user in front waits for it
    // rather than be told a status that is about to change.
    bool lockPending = false;
    // Every user with a session of class `user` on the seat, the active one included; further
    // users beyond kMaxUsers are not listed and are told they are not seat users.
    std::uint32_t uids[kMaxUsers] = {};
    std::size_t uidCount = 0;

    bool HasUser(std::uint32_t uid) const;
};

// The role through which the service learns about sessions.
class SessionSource {
  public:
    // The seat's state now, as last learnt; never blocks.
    virtual SeatState Seat() = 0;

  protected:
    ~SessionSource() = default;
};

// The one user whose input is counted now, if any: the active session's owner while the
// session is known to be unlocked.
struct CountingOwner {
    bool any = false;
    std::uint32_t uid = 0;
    bool operator==(const CountingOwner& o) const { return any == o.any && (!any || uid == o.uid); }
    bool operator!=(const CountingOwner& o) const { return !(*this == o); }
};
CountingOwner OwnerOf(const SeatState& seat);

// The answer for a client running as `uid`.
Status AccessFor(std::uint32_t uid, const SeatState& seat, bool haveDevices);

// How a connection's user stands at the seat when it connects: what decides the room it gets.
enum class Rank { Front, SeatUser, Stranger };
Rank RankOf(std::uint32_t uid, const SeatState& seat);

// Whether one session is locked, from what logind says of it. The session's LockedHint is
// set by the session's own screen locker, and so can be by any program of its user: it is
// the session's own word. Logind's Lock signal (a lock asked for by the system or an
// administrator) holds until logind's Unlock, or until the locker has raised the hint, from
// when on the hint speaks again; a hint cleared by itself does not end it.
class LockRule {
  public:
    // Nothing known: a new session, a lost bus.
    void Forget() { *this = LockRule{}; }
    void Hint(bool locked) {
        hintKnown_ = true;
        hint_ = locked;
        if (locked) lockAsked_ = false;
    }
    // The hint changed but logind did not say to what: it is to be read again.
    void HintUnknown() { hintKnown_ = false; }
    void LockSignal() { lockAsked_ = true; }
    void UnlockSignal() { lockAsked_ = false; }

    bool Known() const { return hintKnown_; }
    // Locked, or not known to be unlocked.
    bool Locked() const { return !hintKnown_ || hint_ || lockAsked_; }

  private:
    bool hintKnown_ = false;
    bool hint_ = false;
    bool lockAsked_ = false;
};

}  // namespace tavrel::inputd
