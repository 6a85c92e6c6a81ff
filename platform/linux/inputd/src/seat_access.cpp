// SPDX-License-Identifier: GPL-3.0-or-later
// The access rule of the input service.
#include "tavrel/seat_access.h"

namespace tavrel::inputd {

bool SeatState::HasUser(std::uint32_t uid) const {
    for (std::size_t i = 0; i < uidCount && i < kMaxUsers; ++i) {
        if (uids[i] == uid) return true;
    }
    return hasActive && activeUid == uid;
}

CountingOwner OwnerOf(const SeatState& seat) {
    if (!seat.hasActive || !seat.lockKnown || seat.activeLocked) return {};
    return {true, seat.activeUid};
}

Status AccessFor(std::uint32_t uid, const SeatState& seat, bool haveDevices) {
    if (!seat.HasUser(uid)) return Status::NotSeatUser;
    const CountingOwner owner = OwnerOf(seat);
    if (!owner.any || owner.uid != uid) return Status::SessionInactive;
    // Only the user in front learns whether there is anything to read.
    return haveDevices ? Status::Counting : Status::NoDevices;
}

Rank RankOf(std::uint32_t uid, const SeatState& seat) {
    if (seat.hasActive && seat.activeUid == uid) return Rank::Front;
    return seat.HasUser(uid) ? Rank::SeatUser : Rank::Stranger;
}

}  // namespace tavrel::inputd
