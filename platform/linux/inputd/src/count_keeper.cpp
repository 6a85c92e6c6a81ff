// SPDX-License-Identifier: GPL-3.0-or-later
// Who is counted for, what each request is answered, and when.
#include "tavrel/count_keeper.h"

namespace tavrel::inputd {

void CountKeeper::RefreshSeat() {
    seat_ = sessions_.Seat();
    seatNews_ = true;
    const CountingOwner owner = OwnerOf(seat_);
    if (owner != owner_) {
        // What was counted so far is the previous owner's, kept for its next Take; every
        // account starts again from here, which is published so that none is ahead of what
        // replies hold.
        published_ = translator_.Totals();
        ledger_.OwnerChanged(owner_, published_);
        owner_ = owner;
    }
    translator_.SetCounting(owner_.any);
}

void CountKeeper::ReachGridPoint() {
    published_ = translator_.Totals();
    seatNews_ = false;
}

bool CountKeeper::Open(std::uint32_t uid, Exchange& exchange) {
    exchange = Exchange{};
    exchange.slot = ledger_.Open(uid, RankOf(uid, seat_), published_);
    return exchange.slot.valid();
}

Verdict CountKeeper::Answer(Exchange& exchange, const Request& request, bool haveDevices,
                            std::int64_t period, Reply& reply) {
    const bool knownKind = request.kind == RequestKind::Take || request.kind == RequestKind::Wait;
    if (!KnownMagic(request.magic) || !knownKind || exchange.pending) {
        reply = Reply{};
        reply.magic = KnownMagic(request.magic) ? request.magic : exchange.magic;
        reply.status = Status::BadRequest;
        exchange.pending = false;
        return Verdict::ReplyAndClose;
    }
    exchange.magic = request.magic;
    if (period <= exchange.lastReplyPeriod) {
        // One reply a grid period: a client that asks faster learns nothing faster.
        exchange.pending = true;
        exchange.pendingKind = request.kind;
        exchange.pendingDoubleClickMs = request.doubleClickMs;
        return Verdict::Hold;
    }
    return Evaluate(exchange, request.kind, request.doubleClickMs, haveDevices, period, reply);
}

Verdict CountKeeper::Resume(Exchange& exchange, bool haveDevices, std::int64_t period,
                            Reply& reply) {
    if (!exchange.pending || period <= exchange.lastReplyPeriod) return Verdict::Hold;
    return Evaluate(exchange, exchange.pendingKind, exchange.pendingDoubleClickMs, haveDevices,
                    period, reply);
}

Verdict CountKeeper::Evaluate(Exchange& exchange, RequestKind kind, std::uint32_t doubleClickMs,
                              bool haveDevices, std::int64_t period, Reply& reply) {
    const std::uint32_t uid = ledger_.Uid(exchange.slot.get());
    exchange.pending = true;
    exchange.pendingKind = kind;
    exchange.pendingDoubleClickMs = doubleClickMs;
    // Logind's word on the lock is due: the user in front is answered once it is in, not
    // told a status about to change.
    if (seat_.lockPending && seat_.hasActive && seat_.activeUid == uid) return Verdict::Hold;

    reply = Reply{};
    reply.magic = exchange.magic;
    reply.status = AccessFor(uid, seat_, haveDevices);
    if (reply.status == Status::Counting) {
        // Only the user in front sets how presses pair up.
        translator_.SetDoubleClickMs(doubleClickMs);
        reply.counts = ledger_.Take(exchange.slot.get(), published_);
    }
    if (kind == RequestKind::Wait && exchange.lastReplyPeriod >= 0 &&
        reply.status == exchange.last && !HasCounts(reply.counts)) {
        return Verdict::Hold;
    }
    exchange.pending = false;
    exchange.last = reply.status;
    exchange.lastReplyPeriod = period;
    // A user with no session here is told so once; the connection holds no room after that.
    return reply.status == Status::NotSeatUser ? Verdict::ReplyAndClose : Verdict::Reply;
}

}  // namespace tavrel::inputd
