// Who is counted for, and the answer to each request.
#include "tavrel/count_keeper.h"

namespace tavrel::inputd {

void CountKeeper::RefreshSeat() {
    seat_ = sessions_.Seat();
    const CountingOwner owner = OwnerOf(seat_);
    if (owner != owner_) {
        ledger_.OwnerChanged(owner_, translator_.Totals());
        owner_ = owner;
    }
    translator_.SetCounting(owner_.any);
}

int CountKeeper::Open(std::uint32_t uid) {
    const int slot = ledger_.Open(uid, translator_.Totals());
    if (slot >= 0) held_[slot] = Held{};
    return slot;
}

Reply CountKeeper::Current(int slot, std::uint32_t doubleClickMs, bool haveDevices) {
    Reply reply;
    reply.status = AccessFor(ledger_.Uid(slot), seat_, haveDevices);
    if (reply.status == Status::Counting) {
        // Only the user in front sets how presses pair up.
        translator_.SetDoubleClickMs(doubleClickMs);
        reply.counts = ledger_.Take(slot, translator_.Totals());
    }
    return reply;
}

bool CountKeeper::Answer(int slot, const Request& request, bool haveDevices, Reply& reply) {
    Held& held = held_[slot];
    const bool known = request.kind == RequestKind::Take || request.kind == RequestKind::Wait;
    if (request.magic != kMagic || !known || held.waiting) {
        reply = Reply{};
        reply.status = Status::BadRequest;
        return true;
    }
    reply = Current(slot, request.doubleClickMs, haveDevices);
    if (request.kind == RequestKind::Wait && held.replied && reply.status == held.last &&
        !HasCounts(reply.counts)) {
        held.waiting = true;
        return false;
    }
    held.replied = true;
    held.last = reply.status;
    return true;
}

bool CountKeeper::WaitIsOver(int slot, bool haveDevices, Reply& reply) {
    Held& held = held_[slot];
    if (!held.waiting) return false;
    reply = Current(slot, 0, haveDevices);  // 0: the double-click time stays
    if (reply.status == held.last && !HasCounts(reply.counts)) return false;
    held.waiting = false;
    held.last = reply.status;
    return true;
}

}  // namespace tavrel::inputd
