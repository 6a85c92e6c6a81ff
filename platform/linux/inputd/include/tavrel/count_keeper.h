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
    int Open(std::uint32_t uid) { return ledger_.Open(uid, translator_.Totals()); }
    void Close(int slot) { ledger_.Close(slot); }

    // The reply to one request of the connection in `slot`. A BadRequest reply ends the
    // connection.
    Reply Answer(int slot, const Request& request, bool haveDevices);

  private:
    SessionSource& sessions_;
    hooks::EvdevTranslator translator_;
    CountLedger ledger_;
    SeatState seat_;
    CountingOwner owner_;
};

}  // namespace tavrel::inputd
