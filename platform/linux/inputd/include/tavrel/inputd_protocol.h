// SPDX-License-Identifier: GPL-3.0-or-later
// What crosses the socket between tavrel-inputd and a Tavrel client. Counts only: the five
// fields of the activity record, never a key code, a position or a time stamp. Fixed-size
// messages in host byte order (both ends run on the same machine).
#pragma once

#include <cstddef>
#include <cstdint>

#include "TavrelHooks.h"

namespace tavrel::inputd {

// Socket-activated by systemd; a stream socket.
constexpr char kSocketPath[] = "/run/tavrel-inputd.socket";

// The magic names the version of the messages; a reply carries the magic of its request.
// Version 2 ("TVR2") is version 1 ("TVR1") with Wait known to every service and counts
// released on the service's 50 ms grid. A service answers both; a client speaks version 2,
// and a service that answers it with version 1's magic is older than the client.
constexpr std::uint32_t kMagicV1 = 0x31525654u;  // "TVR1"
constexpr std::uint32_t kMagic = 0x32525654u;    // "TVR2"
inline bool KnownMagic(std::uint32_t magic) {
    return magic == kMagic || magic == kMagicV1;
}

enum class RequestKind : std::uint32_t {
    // Counts since this connection's previous Take (or since it was accepted).
    Take = 1,
    // As Take, but the reply is held until there is something to say: a count, or a status
    // other than that of the previous reply. Lets a client sleep until the next input.
    Wait = 2,
};
// One request at a time: another one before the reply to the previous one (a held Wait, or
// a request held for the next grid point) is a BadRequest.
//
// Counts are released to clients only at the points of one fixed 50 ms grid shared by every
// connection: a reply holds the counts as of the last grid point, a held Wait is answered at
// a grid point, and a connection gets at most one reply per grid period (a request that
// comes sooner is answered at the next point). So no client learns when a key was struck
// more finely than 50 ms.
constexpr std::int64_t kGridNs = 50'000'000;

struct Request {
    std::uint32_t magic = kMagic;
    RequestKind kind = RequestKind::Take;
    // The client's desktop double-click interval: a second press of the same button within
    // it is a double-click. 0 keeps the previous one (500 ms before any).
    std::uint32_t doubleClickMs = 0;
    std::uint32_t reserved = 0;
};

enum class Status : std::uint32_t {
    Counting = 0,
    // The caller owns a session on the seat, but it is not the active one, or it is locked,
    // or the service cannot tell whether it is locked: nothing is counted for anyone then.
    SessionInactive = 1,
    // The caller's uid owns no session on the devices' seat; the connection is closed after
    // it.
    NotSeatUser = 2,
    // A message of the wrong size, magic or kind, or a request before the reply to the
    // previous one; the connection is closed after it.
    BadRequest = 3,
    // The service runs but can read no keyboard or pointing device.
    NoDevices = 4,
};

struct Reply {
    std::uint32_t magic = kMagic;
    Status status = Status::Counting;
    MDTAG counts{};  // zero unless status is Counting
};

static_assert(sizeof(Request) == 16, "Request is 16 bytes");
static_assert(sizeof(Reply) == 28, "Reply is 28 bytes");
static_assert(offsetof(Reply, counts) == 8, "Reply layout");

// Whether a reply's counts hold anything: what makes a held Wait worth answering.
inline bool HasCounts(const MDTAG& c) {
    return c.moveDistance != 0.0f || c.dragDistance != 0.0f || c.clicks != 0 ||
           c.doubleClicks != 0 || c.keys != 0;
}

// One plain sentence for the window and the tray tip; static storage.
const char* StatusText(Status status);

}  // namespace tavrel::inputd
