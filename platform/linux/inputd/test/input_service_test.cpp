// SPDX-License-Identifier: GPL-3.0-or-later
// The service's loop, over socket pairs, with a fake device and a fake seat: when replies
// come, who gets room, what a seat change does to what the devices hold, how long a half
// request may stay.
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <vector>

#include "input_service.h"

namespace tavrel::inputd {
namespace {

using namespace hooks::evdev;

constexpr std::uint32_t kAlice = 1000;
constexpr std::uint32_t kBob = 1001;
constexpr std::int64_t kMs = 1'000'000;

std::int64_t Now() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

void Signal(const UniqueFd& fd) {
    const std::uint64_t one = 1;
    ASSERT_EQ(write(fd.get(), &one, sizeof one), static_cast<ssize_t>(sizeof one));
}

void Clear(const UniqueFd& fd) {
    std::uint64_t n;
    [[maybe_unused]] const ssize_t got = read(fd.get(), &n, sizeof n);
}

// A keyboard whose events wait in a queue until it is read: when it says it is ready, or
// when the service drains every device.
class FakeDevices final : public DeviceSource {
  public:
    bool Start(EpollSet& epoll) override {
        ready_.Reset(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
        return epoll.Add(ready_.get(), {Watched::Device, 0});
    }
    void OnReady(EpollTag, hooks::EvdevTranslator& translator) override {
        Clear(ready_);
        Deliver(translator);
    }
    void DrainAll(hooks::EvdevTranslator& translator) override { Deliver(translator); }
    std::size_t Count() const override { return 1; }

    // Taps that are in the kernel's buffer, not yet reported.
    void Queue(int taps) {
        for (int i = 0; i < taps; ++i) {
            queued_.push_back({0, EvKey, 30, KeyPress});
            queued_.push_back({0, EvKey, 30, KeyRelease});
        }
    }
    void Type(int taps) {
        Queue(taps);
        Signal(ready_);
    }

  private:
    void Deliver(hooks::EvdevTranslator& translator) {
        for (const hooks::EvdevEvent& e : queued_) translator.Translate(keyboard_, e);
        queued_.clear();
    }

    UniqueFd ready_;
    hooks::EvdevDevice keyboard_{};
    std::vector<hooks::EvdevEvent> queued_;
};

class FakeSeat final : public SeatWatch {
  public:
    bool Start(EpollSet& epoll) override {
        news_.Reset(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
        return epoll.Add(news_.get(), {Watched::Sessions});
    }
    bool OnReady(EpollTag) override {
        Clear(news_);
        return true;
    }
    SeatState Seat() override { return seat_; }

    // Alice and Bob have sessions, and any others; `active` is in front, unlocked.
    void Set(std::uint32_t active, std::initializer_list<std::uint32_t> others = {}) {
        seat_ = SeatState{};
        seat_.hasActive = true;
        seat_.activeUid = active;
        seat_.lockKnown = true;
        seat_.uids[seat_.uidCount++] = kAlice;
        seat_.uids[seat_.uidCount++] = kBob;
        for (const std::uint32_t uid : others) seat_.uids[seat_.uidCount++] = uid;
        if (news_.valid()) Signal(news_);
    }

  private:
    UniqueFd news_;
    SeatState seat_;
};

// The client's end of a socket pair whose other end the service was given.
class Client {
  public:
    Client(InputService& service, std::uint32_t uid) : service_(service) {
        int pair[2];
        EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair), 0);
        fd_.Reset(pair[1]);
        service.Admit(UniqueFd(pair[0]), uid);
    }

    void Send(RequestKind kind, std::uint32_t magic = kMagic) {
        Request r;
        r.magic = magic;
        r.kind = kind;
        SendBytes(&r, sizeof r);
    }
    void SendBytes(const void* data, std::size_t n) {
        ASSERT_EQ(send(fd_.get(), data, n, MSG_NOSIGNAL), static_cast<ssize_t>(n));
    }

    // Runs the service until the reply comes (or `ms` pass); when it came in `at`.
    std::optional<Reply> Await(int ms = 1000) {
        const std::int64_t end = Now() + ms * kMs;
        while (Now() < end) {
            service_.RunOnce(2);
            Reply reply;
            const ssize_t n = recv(fd_.get(), &reply, sizeof reply, MSG_DONTWAIT | MSG_PEEK);
            if (n == static_cast<ssize_t>(sizeof reply)) {
                at = Now();
                EXPECT_EQ(recv(fd_.get(), &reply, sizeof reply, 0), n);
                return reply;
            }
            if (n == 0) return std::nullopt;  // closed
        }
        return std::nullopt;
    }
    Reply Ask(RequestKind kind = RequestKind::Take) {
        Send(kind);
        const std::optional<Reply> reply = Await();
        EXPECT_TRUE(reply.has_value());
        return reply.value_or(Reply{});
    }
    // Whether the service has closed its end (after reading what is left).
    bool Closed() {
        char c;
        const ssize_t n = recv(fd_.get(), &c, 1, MSG_DONTWAIT | MSG_PEEK);
        return n == 0;
    }

    std::int64_t at = 0;

  private:
    InputService& service_;
    UniqueFd fd_;
};

class InputServiceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        seat.Set(kAlice);
        ASSERT_TRUE(service.Start(UniqueFd()));
    }
    void Run(int ms) {
        const std::int64_t end = Now() + ms * kMs;
        while (Now() < end) service.RunOnce(2);
    }
    // Takes until the taps of the last grid point are in.
    int Keys(Client& c) {
        Run(60);
        return c.Ask().counts.keys;
    }

    FakeDevices devices;
    FakeSeat seat;
    InputService service{devices, seat, 200 * kMs};
};

TEST_F(InputServiceTest, AKeyReachesAWaitAtTheNextGridPointAndAnIdleServiceSleeps) {
    Client alice(service, kAlice);
    EXPECT_EQ(alice.Ask().status, Status::Counting);
    for (int n = 0; n < 5; ++n) {
        Run(60 + 13 * n);  // keys at several phases of the grid
        alice.Send(RequestKind::Wait);
        Run(30);
        EXPECT_FALSE(service.GridRunning()) << "nothing counted: no timer runs";
        const std::int64_t typed = Now();
        devices.Type(1);
        const std::optional<Reply> reply = alice.Await();
        ASSERT_TRUE(reply.has_value());
        EXPECT_EQ(reply->counts.keys, 1);
        const std::int64_t delay = alice.at - typed;
        const std::int64_t phase = alice.at % kGridNs;
        EXPECT_LE(delay, kGridNs + 25 * kMs) << "answered at the next point";
        EXPECT_LT(phase, 25 * kMs) << "just after a grid point, never between";
    }
}

TEST_F(InputServiceTest, ASpinningClientGetsOneReplyAGridPeriod) {
    Client alice(service, kAlice);
    alice.Ask();
    const std::int64_t start = Now();
    int replies = 0, keys = 0;
    while (Now() - start < 500 * kMs) {
        devices.Type(1);
        const Reply r = alice.Ask();
        ++replies;
        keys += r.counts.keys;
        EXPECT_LT(alice.at % kGridNs, 25 * kMs);
    }
    EXPECT_LE(replies, 12);
    EXPECT_GE(replies, 5);
    EXPECT_EQ(keys + Keys(alice), replies) << "every tap counted, once";
}

TEST_F(InputServiceTest, KeysQueuedBeforeASwitchReachNoNextUser) {
    Client alice(service, kAlice);
    Client bob(service, kBob);
    alice.Ask();
    EXPECT_EQ(bob.Ask().status, Status::SessionInactive);
    devices.Type(2);
    EXPECT_EQ(Keys(alice), 2);
    devices.Queue(5);  // in the kernel's buffer when the seat changes
    seat.Set(kBob);
    Run(60);
    EXPECT_EQ(bob.Ask().counts.keys, 0);
    devices.Type(3);
    EXPECT_EQ(Keys(bob), 3);
    const Reply a = alice.Ask();
    EXPECT_EQ(a.status, Status::SessionInactive);
    EXPECT_EQ(a.counts.keys, 0);
}

TEST_F(InputServiceTest, KeysQueuedWhenAnotherUserLogsInOnAConsoleStillCount) {
    Client alice(service, kAlice);
    alice.Ask();
    devices.Queue(5);  // in the kernel's buffer when the seat's news comes
    seat.Set(kAlice, {2000});
    Run(60);
    devices.Type(0);  // the buffer is read
    EXPECT_EQ(Keys(alice), 5) << "the user in front is the same: nothing typed is lost";
}

TEST_F(InputServiceTest, HalfRequestsAndSilentClientsAreClosedAtTheirDeadline) {
    Client half(service, kAlice);
    Client silent(service, kAlice);
    Client asking(service, kAlice);
    EXPECT_EQ(asking.Ask().status, Status::Counting);
    const Request r;
    half.SendBytes(&r, 7);
    Run(100);
    EXPECT_FALSE(half.Closed());
    Run(250);
    EXPECT_TRUE(half.Closed());
    EXPECT_TRUE(silent.Closed());
    EXPECT_FALSE(asking.Closed()) << "a client between requests may wait as long as it likes";
    EXPECT_EQ(service.Clients(), 1u);
}

TEST_F(InputServiceTest, StrangersAreRefusedOnceAndCannotCrowdOutTheUserInFront) {
    std::vector<Client*> strangers;
    for (std::uint32_t uid = 2000; uid < 2008; ++uid) {
        for (int i = 0; i < 8; ++i) strangers.push_back(new Client(service, uid));
    }
    EXPECT_LE(service.Clients(), CountLedger::kMaxStrangers);
    Client& first = *strangers.front();
    EXPECT_EQ(first.Ask().status, Status::NotSeatUser);
    EXPECT_TRUE(first.Closed()) << "told once, then closed";
    Client bob(service, kBob);
    Client alice(service, kAlice);
    devices.Type(4);
    EXPECT_EQ(Keys(alice), 4);
    EXPECT_EQ(bob.Ask().status, Status::SessionInactive);
    for (Client* c : strangers) delete c;
}

TEST_F(InputServiceTest, EachVersionIsUnderstoodAndAnythingElseRefused) {
    Client old(service, kAlice);
    old.Send(RequestKind::Take, kMagicV1);
    std::optional<Reply> reply = old.Await();
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->magic, kMagicV1);
    EXPECT_EQ(reply->status, Status::Counting);

    Client odd(service, kAlice);
    odd.Send(RequestKind::Take, 0x33525654u);  // "TVR3"
    reply = odd.Await();
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->status, Status::BadRequest);
    Run(10);
    EXPECT_TRUE(odd.Closed());
}

}  // namespace
}  // namespace tavrel::inputd
