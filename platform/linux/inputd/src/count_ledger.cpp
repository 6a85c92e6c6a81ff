// The per-connection bookkeeping of the input service.
#include "tavrel/count_ledger.h"

#include <limits>

namespace tavrel::inputd {
namespace {

using hooks::EvdevTotals;

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

int CountLedger::Open(std::uint32_t uid, const EvdevTotals& now) {
    std::size_t ofUser = 0;
    int free = -1;
    for (std::size_t i = 0; i < kMaxConnections; ++i) {
        if (slots_[i].used && slots_[i].uid == uid) ++ofUser;
        if (!slots_[i].used && free < 0) free = static_cast<int>(i);
    }
    if (free < 0 || ofUser >= kMaxPerUser) return -1;
    Slot& s = slots_[free];
    s = Slot{};
    s.used = true;
    s.uid = uid;
    s.takenAt = now;
    return free;
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
    counts.moveDistance = static_cast<float>(due.moveDistance);
    counts.dragDistance = static_cast<float>(due.dragDistance);
    counts.clicks = Narrow(due.clicks);
    counts.doubleClicks = Narrow(due.doubleClicks);
    counts.keys = Narrow(due.keys);
    return counts;
}

}  // namespace tavrel::inputd
