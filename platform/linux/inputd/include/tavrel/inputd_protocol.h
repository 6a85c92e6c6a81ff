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

constexpr std::uint32_t kMagic = 0x31525654u;  // "TVR1"

enum class RequestKind : std::uint32_t {
    // Counts since this connection's previous Take (or since it was accepted).
    Take = 1,
    // As Take, but the reply is held until there is something to say: a count, or a status
    // other than that of the previous reply. Lets a client sleep until the next input. One
    // request at a time: another one while a Wait is held is a BadRequest.
    Wait = 2,
};

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
    // The caller owns a session on the seat, but it is not the active one or it is locked:
    // nothing is counted for anyone meanwhile.
    SessionInactive = 1,
    // The caller's uid owns no session on the devices' seat.
    NotSeatUser = 2,
    // A message of the wrong size, magic or kind; the connection is closed after it.
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
