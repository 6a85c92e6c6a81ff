// The service's state apart from its files and sockets: the translator that counts every
// device, the connections' ledger, and the seat as the session source last reported it.
// The service feeds it events and requests; it decides who gets what.
#pragma once

#include <cstdint>

#include "tavrel/count_ledger.h"
#include "tavrel/evdev_translation.h"
#include "tavrel/inputd_protocol.h"
#include "tavrel/seat_access.h"

namespace tavrel::inputd {

class CountKeeper {
  public:
    explicit CountKeeper(SessionSource& sessions) : sessions_(sessions) {}

    // Reads the seat again; counting follows the user in front, and stops while nobody is
    // there or the session is locked.
    void RefreshSeat();

    hooks::EvdevTranslator& Translator() { return translator_; }

    // A connection from `uid`: its slot, or -1 if refused for want of room.
    int Open(std::uint32_t uid);
    void Close(int slot) { ledger_.Close(slot); }

    // The reply to one request of the connection in `slot`. A BadRequest reply ends the
    // connection. A Wait with nothing to say yet is held: false, and WaitIsOver decides later.
    bool Answer(int slot, const Request& request, bool haveDevices, Reply& reply);
    Reply Answer(int slot, const Request& request, bool haveDevices) {
        Reply reply;
        Answer(slot, request, haveDevices, reply);
        return reply;
    }
    // Whether the connection's held Wait now has its reply (then given in `reply`); false
    // while there is still nothing to say or no Wait is held.
    bool WaitIsOver(int slot, bool haveDevices, Reply& reply);

  private:
    // What the connection is given now: its status, and its counts while it may have them.
    Reply Current(int slot, std::uint32_t doubleClickMs, bool haveDevices);
    // What each connection was last told, and whether it waits for more.
    struct Held {
        bool waiting = false;
        bool replied = false;
        Status last = Status::Counting;
    };

    SessionSource& sessions_;
    hooks::EvdevTranslator translator_;
    CountLedger ledger_;
    SeatState seat_;
    CountingOwner owner_;
    Held held_[CountLedger::kMaxConnections];
};

}  // namespace tavrel::inputd
