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

Reply CountKeeper::Answer(int slot, const Request& request, bool haveDevices) {
    Reply reply;
    if (request.magic != kMagic || request.kind != RequestKind::Take) {
        reply.status = Status::BadRequest;
        return reply;
    }
    reply.status = AccessFor(ledger_.Uid(slot), seat_, haveDevices);
    if (reply.status == Status::Counting) {
        // Only the user in front sets how presses pair up.
        translator_.SetDoubleClickMs(request.doubleClickMs);
        reply.counts = ledger_.Take(slot, translator_.Totals());
    }
    return reply;
}

}  // namespace tavrel::inputd
