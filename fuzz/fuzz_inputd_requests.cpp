// SPDX-License-Identifier: GPL-3.0-or-later
// The service's answers to requests of any bytes, from any user, through any changes of the
// seat and any input: the access rule must hold whatever comes. Only the user in front, known
// to be unlocked, is ever given counts; a connection gets at most one reply a grid period;
// nobody is given input typed while another user was in front.
#include <deque>

#include "fuzz_check.h"
#include "tavrel/count_keeper.h"

using namespace tavrel::inputd;
using namespace tavrel::hooks::evdev;

namespace {

class FuzzedSeat final : public SessionSource {
  public:
    SeatState Seat() override { return seat; }
    SeatState seat;
};

constexpr std::uint32_t kUids[] = {0, 1000, 1001, 1002, 4242};

struct Client {
    Exchange exchange;
    std::uint32_t uid = 0;
    std::int64_t repliedInPeriod = -1;
    std::int64_t keys = 0;  // given to this connection
    bool closed = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tavrel::fuzz::Bytes in(data, size);
    FuzzedSeat sessions;
    CountKeeper keeper(sessions);
    keeper.RefreshSeat();
    std::deque<Client> clients;
    tavrel::hooks::EvdevDevice keyboard{};
    std::int64_t period = 0;
    // Keys typed while each uid was the counting owner.
    std::int64_t typedFor[5] = {};
    const auto indexOf = [](std::uint32_t uid) {
        for (int i = 0; i < 5; ++i) {
            if (kUids[i] == uid) return i;
        }
        return 0;
    };
    const auto check = [&](Client& c, Verdict verdict, const Reply& reply) {
        if (verdict == Verdict::Hold) return;
        const SeatState& seat = keeper.Seat();
        FUZZ_CHECK(c.repliedInPeriod < period || reply.status == Status::BadRequest);
        c.repliedInPeriod = period;
        if (reply.status != Status::Counting) {
            FUZZ_CHECK(!HasCounts(reply.counts));
        } else {
            FUZZ_CHECK(seat.hasActive && seat.lockKnown && !seat.activeLocked &&
                       seat.activeUid == c.uid);
            FUZZ_CHECK(reply.counts.keys >= 0 && reply.counts.moveDistance >= 0);
            c.keys += reply.counts.keys;
        }
        if (reply.status == Status::NotSeatUser || reply.status == Status::BadRequest) {
            FUZZ_CHECK(verdict == Verdict::ReplyAndClose);
        }
        if (verdict == Verdict::ReplyAndClose) {
            c.exchange = Exchange{};
            c.closed = true;
        }
    };
    while (!in.empty()) {
        switch (in.Take<std::uint8_t>() % 7) {
            case 0: {  // a connection
                clients.emplace_back();
                Client& c = clients.back();
                c.uid = kUids[in.Take<std::uint8_t>() % 5];
                c.closed = !keeper.Open(c.uid, c.exchange);
                break;
            }
            case 1: {  // a request of any bytes
                if (clients.empty()) break;
                Client& c = clients[in.Take<std::uint8_t>() % clients.size()];
                if (c.closed) break;
                Request r;
                const auto magic = in.Take<std::uint8_t>();
                r.magic = magic < 100 ? kMagic : magic < 200 ? kMagicV1 : in.Take<std::uint32_t>();
                r.kind = static_cast<RequestKind>(in.Take<std::uint8_t>() % 4);
                r.doubleClickMs = in.Take<std::uint16_t>();
                Reply reply;
                check(c, keeper.Answer(c.exchange, r, true, period, reply), reply);
                break;
            }
            case 2: {  // a grid point
                period += 1 + in.Take<std::uint8_t>() % 2;
                keeper.ReachGridPoint();
                for (Client& c : clients) {
                    if (c.closed) continue;
                    Reply reply;
                    check(c, keeper.Resume(c.exchange, true, period, reply), reply);
                }
                break;
            }
            case 3: {  // the seat changes
                SeatState seat;
                const auto bits = in.Take<std::uint8_t>();
                seat.hasActive = bits & 1;
                seat.lockKnown = bits & 2;
                seat.activeLocked = bits & 4;
                seat.lockPending = bits & 8;
                seat.activeUid = kUids[(bits >> 4) % 5];
                const auto users = in.Take<std::uint8_t>();
                for (int i = 0; i < 5; ++i) {
                    if (users & (1u << i)) seat.uids[seat.uidCount++] = kUids[i];
                }
                sessions.seat = seat;
                keeper.RefreshSeat();
                break;
            }
            case 4: {  // keys
                const int taps = in.Take<std::uint8_t>() % 8;
                const CountingOwner owner = OwnerOf(keeper.Seat());
                for (int i = 0; i < taps; ++i) {
                    keeper.Translator().Translate(keyboard, {0, EvKey, 30, KeyPress});
                    keeper.Translator().Translate(keyboard, {0, EvKey, 30, KeyRelease});
                }
                if (owner.any) typedFor[indexOf(owner.uid)] += taps;
                break;
            }
            case 5: {  // a connection goes
                if (clients.empty()) break;
                Client& c = clients[in.Take<std::uint8_t>() % clients.size()];
                c.exchange = Exchange{};
                c.closed = true;
                break;
            }
            case 6:
                ++period;  // time passes within the grid
                break;
        }
    }
    for (const Client& c : clients) FUZZ_CHECK(c.keys <= typedFor[indexOf(c.uid)]);
    return 0;
}
