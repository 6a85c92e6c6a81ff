// SPDX-License-Identifier: GPL-3.0-or-later
// The service's state apart from its files and sockets: the translator that counts every
// device, the totals as of the last point of the release grid, the connections' ledger, and
// the seat as the session source last reported it. The service feeds it events, requests
// and grid points; it decides who gets what, and when.
#pragma once

#include <cstdint>

#include "tavrel/count_ledger.h"
#include "tavrel/evdev_translation.h"
#include "tavrel/inputd_protocol.h"
#include "tavrel/seat_access.h"

namespace tavrel::inputd {

// What one connection has asked and been told; its Connection holds it, the keeper judges it.
struct Exchange {
    LedgerSlot slot;                 // its account in the ledger
    Status last = Status::Counting;  // the status of the previous reply
    std::uint32_t magic = kMagic;    // the version the client speaks; replies are in kind
    // A request waits for a later grid point: a Wait with nothing to say yet, or a request
    // that came within the grid period of the previous reply.
    bool pending = false;
    RequestKind pendingKind = RequestKind::Take;
    std::uint32_t pendingDoubleClickMs = 0;
    std::int64_t lastReplyPeriod = -1;  // the grid period of the previous reply; -1 before one
};

enum class Verdict {
    Reply,          // send the reply
    ReplyAndClose,  // send it, then close: a bad request, or a user with no session here
    Hold,           // nothing to send yet: the request waits for a grid point
};

class CountKeeper {
  public:
    explicit CountKeeper(SessionSource& sessions) : sessions_(sessions) {}

    // The grid period a moment (CLOCK_MONOTONIC, ns) falls in, and the next point after it.
    static std::int64_t PeriodOf(std::int64_t monotonicNs) { return monotonicNs / kGridNs; }
    static std::int64_t NextPointNs(std::int64_t monotonicNs) {
        return (PeriodOf(monotonicNs) + 1) * kGridNs;
    }

    // Reads the seat again; counting follows the user in front, and stops while nobody is
    // there, the session is locked or its lock state is not known.
    void RefreshSeat();
    // Whether the seat as it is now would give the counts to another owner, or to none.
    bool OwnerChanges() { return OwnerOf(sessions_.Seat()) != owner_; }
    const SeatState& Seat() const { return seat_; }

    hooks::EvdevTranslator& Translator() { return translator_; }

    // Whether a grid point has anything to release: a count since the last point, or news of
    // the seat. While not, the grid's timer need not run.
    bool NeedsGridPoint() const { return seatNews_ || translator_.Totals() != published_; }
    // A point of the grid: what was counted so far becomes what replies hold.
    void ReachGridPoint();

    // A connection from `uid`; false if refused for want of room.
    bool Open(std::uint32_t uid, Exchange& exchange);

    // One request of the connection, in grid period `period`.
    Verdict Answer(Exchange& exchange, const Request& request, bool haveDevices,
                   std::int64_t period, Reply& reply);
    // At a grid point, the connection's pending request, if any: its reply now, or Hold.
    Verdict Resume(Exchange& exchange, bool haveDevices, std::int64_t period, Reply& reply);

  private:
    Verdict Evaluate(Exchange& exchange, RequestKind kind, std::uint32_t doubleClickMs,
                     bool haveDevices, std::int64_t period, Reply& reply);

    SessionSource& sessions_;
    hooks::EvdevTranslator translator_;
    hooks::EvdevTotals published_;  // the totals as of the last grid point
    bool seatNews_ = false;         // the seat changed since the last grid point
    CountLedger ledger_;
    SeatState seat_;
    CountingOwner owner_;
};

}  // namespace tavrel::inputd
