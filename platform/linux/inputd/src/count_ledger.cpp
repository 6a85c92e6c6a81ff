// SPDX-License-Identifier: GPL-3.0-or-later
// The per-connection bookkeeping of the input service.
#include "tavrel/count_ledger.h"

#include <limits>

namespace tavrel::inputd {
namespace {

using hooks::EvdevTotals;

// Distances wrap modulo 2^64 like the totals, so a difference is exact across a wrap.
void AddSince(EvdevTotals& into, const EvdevTotals& now, const EvdevTotals& then) {
    into.moveDistance += now.moveDistance - then.moveDistance;
    into.dragDistance += now.dragDistance - then.dragDistance;
    into.clicks += now.clicks - then.clicks;
    into.doubleClicks += now.doubleClicks - then.doubleClicks;
    into.keys += now.keys - then.keys;
}

std::int32_t Narrow(std::int64_t n) {
    constexpr std::int64_t lo = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t hi = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(n < lo ? lo : n > hi ? hi : n);
}

}  // namespace

LedgerSlot& LedgerSlot::operator=(LedgerSlot&& other) noexcept {
    if (this != &other) {
        Release();
        ledger_ = other.ledger_;
        slot_ = other.slot_;
        other.slot_ = -1;
    }
    return *this;
}

void LedgerSlot::Release() {
    if (slot_ >= 0 && ledger_ != nullptr) ledger_->Close(slot_);
    slot_ = -1;
}

LedgerSlot CountLedger::Open(std::uint32_t uid, Rank rank, const EvdevTotals& now) {
    std::size_t ofUser = 0, strangers = 0, used = 0;
    int freeSlot = -1;
    for (std::size_t i = 0; i < kMaxConnections; ++i) {
        const Slot& s = slots_[i];
        if (!s.used) {
            if (freeSlot < 0) freeSlot = static_cast<int>(i);
            continue;
        }
        ++used;
        if (s.uid == uid) ++ofUser;
        if (s.stranger) ++strangers;
    }
    const std::size_t left = kMaxConnections - used;
    const bool room = freeSlot >= 0 && ofUser < kMaxPerUser &&
                      (rank == Rank::Front || left > kKeptForFront) &&
                      (rank != Rank::Stranger || strangers < kMaxStrangers);
    if (!room) return {};
    Slot& s = slots_[freeSlot];
    s = Slot{};
    s.used = true;
    s.uid = uid;
    s.stranger = rank == Rank::Stranger;
    s.takenAt = now;
    return {*this, freeSlot};
}

void CountLedger::Close(int slot) {
    slots_[slot] = Slot{};
}

void CountLedger::OwnerChanged(const CountingOwner& previous, const EvdevTotals& now) {
    for (Slot& s : slots_) {
        if (!s.used) continue;
        if (previous.any && s.uid == previous.uid) AddSince(s.kept, now, s.takenAt);
        s.takenAt = now;
    }
}

MDTAG CountLedger::Take(int slot, const EvdevTotals& now) {
    Slot& s = slots_[slot];
    EvdevTotals due = s.kept;
    AddSince(due, now, s.takenAt);
    s.kept = EvdevTotals{};
    s.takenAt = now;
    MDTAG counts{};
    counts.moveDistance = static_cast<float>(hooks::DistanceCounts(due.moveDistance));
    counts.dragDistance = static_cast<float>(hooks::DistanceCounts(due.dragDistance));
    counts.clicks = Narrow(due.clicks);
    counts.doubleClicks = Narrow(due.doubleClicks);
    counts.keys = Narrow(due.keys);
    return counts;
}

}  // namespace tavrel::inputd
