// What each connection is given as sessions come to the front, lock and leave.
#include <gtest/gtest.h>

#include "tavrel/count_keeper.h"

namespace tavrel::inputd {
namespace {

using namespace hooks::evdev;

class FakeSessionSource final : public SessionSource {
  public:
    SeatState Seat() override { return seat; }
    // Both users have a session; `active` is in front (0: nobody).
    void Set(std::uint32_t active, bool locked = false) {
        seat = SeatState{};
        seat.hasActive = active != 0;
        seat.activeUid = active;
        seat.activeLocked = locked;
        seat.uids[seat.uidCount++] = kAlice;
        seat.uids[seat.uidCount++] = kBob;
    }
    static constexpr std::uint32_t kAlice = 1000;
    static constexpr std::uint32_t kBob = 1001;
    SeatState seat;
};

class CountKeeperTest : public ::testing::Test {
  protected:
    void Type(int taps) {
        for (int i = 0; i < taps; ++i) {
            keeper.Translator().Translate(keyboard, {0, EvKey, 30, KeyPress});
            keeper.Translator().Translate(keyboard, {0, EvKey, 30, KeyRelease});
        }
    }
    Reply Take(int slot, std::uint32_t doubleClickMs = 0) {
        Request r;
        r.doubleClickMs = doubleClickMs;
        return keeper.Answer(slot, r, true);
    }

    // False while the Wait is held.
    bool Wait(int slot, Reply& reply) {
        Request r;
        r.kind = RequestKind::Wait;
        return keeper.Answer(slot, r, true, reply);
    }

    FakeSessionSource sessions;
    CountKeeper keeper{sessions};
    hooks::EvdevDevice keyboard{};
    static constexpr std::uint32_t kAlice = FakeSessionSource::kAlice;
    static constexpr std::uint32_t kBob = FakeSessionSource::kBob;
};

TEST_F(CountKeeperTest, EachConnectionGetsWhatCameSinceItsPreviousTake) {
    sessions.Set(kAlice);
    keeper.RefreshSeat();
    const int a = keeper.Open(kAlice);
    Type(3);
    const int a2 = keeper.Open(kAlice);  // a second window of the same user starts from now
    Type(2);
    Reply r = Take(a);
    EXPECT_EQ(r.status, Status::Counting);
    EXPECT_EQ(r.counts.keys, 5);
    EXPECT_EQ(Take(a).counts.keys, 0);
    EXPECT_EQ(Take(a2).counts.keys, 2);
}

TEST_F(CountKeeperTest, CountsFollowTheUserInFront) {
    sessions.Set(kAlice);
    keeper.RefreshSeat();
    const int a = keeper.Open(kAlice);
    const int b = keeper.Open(kBob);
    Type(2);  // Alice's
    Reply rb = Take(b);
    EXPECT_EQ(rb.status, Status::SessionInactive);
    EXPECT_EQ(rb.counts.keys, 0);

    sessions.Set(kBob);  // Bob's session comes to the front
    keeper.RefreshSeat();
    Type(4);  // Bob's
    Reply ra = Take(a);
    EXPECT_EQ(ra.status, Status::SessionInactive);
    EXPECT_EQ(ra.counts.keys, 0);
    EXPECT_EQ(Take(b).counts.keys, 4);  // none of Alice's

    sessions.Set(kAlice);
    keeper.RefreshSeat();
    Type(1);
    // Alice's two from before the switch were kept for her, Bob's four are not hers.
    EXPECT_EQ(Take(a).counts.keys, 3);
}

TEST_F(CountKeeperTest, NothingCountsWhileLockedOrNobodyIsInFront) {
    sessions.Set(kAlice);
    keeper.RefreshSeat();
    const int a = keeper.Open(kAlice);
    Type(1);
    sessions.Set(kAlice, /*locked=*/true);
    keeper.RefreshSeat();
    Type(5);  // the password at the lock screen
    EXPECT_EQ(Take(a).status, Status::SessionInactive);
    sessions.Set(0);
    keeper.RefreshSeat();
    Type(5);  // the greeter
    sessions.Set(kAlice);
    keeper.RefreshSeat();
    Reply r = Take(a);
    EXPECT_EQ(r.status, Status::Counting);
    EXPECT_EQ(r.counts.keys, 1);
}

TEST_F(CountKeeperTest, MalformedRequestsAndStrangersGetNothing) {
    sessions.Set(kAlice);
    keeper.RefreshSeat();
    const int a = keeper.Open(kAlice);
    const int stranger = keeper.Open(4242);
    Type(2);
    Request badMagic;
    badMagic.magic = 0x12345678;
    Request badKind;
    badKind.kind = static_cast<RequestKind>(7);
    for (const Request& bad : {badMagic, badKind}) {
        const Reply r = keeper.Answer(a, bad, true);
        EXPECT_EQ(r.status, Status::BadRequest);
        EXPECT_EQ(r.counts.keys, 0);
    }
    const Reply s = Take(stranger);
    EXPECT_EQ(s.status, Status::NotSeatUser);
    EXPECT_EQ(s.counts.keys, 0);
    EXPECT_EQ(Take(a).counts.keys, 2);  // a bad request takes nothing away
}

TEST_F(CountKeeperTest, OnlyTheUserInFrontSetsTheDoubleClickTime) {
    sessions.Set(kAlice);
    keeper.RefreshSeat();
    const int a = keeper.Open(kAlice);
    const int b = keeper.Open(kBob);
    Take(b, 5000);  // ignored: Bob is behind
    Take(a, 300);
    hooks::EvdevDevice mouse{};
    for (std::uint32_t t : {0u, 400u}) {
        keeper.Translator().Translate(mouse, {t, EvKey, BtnLeft, KeyPress});
        keeper.Translator().Translate(mouse, {t + 10, EvKey, BtnLeft, KeyRelease});
    }
    const Reply r = Take(a);
    EXPECT_EQ(r.counts.clicks, 2);
    EXPECT_EQ(r.counts.doubleClicks, 0);
}

TEST_F(CountKeeperTest, NoUserTakesEveryConnection) {
    int opened = 0;
    while (keeper.Open(kBob) >= 0) ++opened;
    EXPECT_EQ(opened, static_cast<int>(CountLedger::kMaxPerUser));
    EXPECT_GE(keeper.Open(kAlice), 0);
}

TEST_F(CountKeeperTest, AWaitIsHeldUntilACountOrANewStatus) {
    sessions.Set(kAlice);
    keeper.RefreshSeat();
    const int a = keeper.Open(kAlice);
    Reply reply;
    // A first request has something to say whatever it is: the status.
    ASSERT_TRUE(Wait(a, reply));
    EXPECT_EQ(reply.status, Status::Counting);
    // Then nothing happens: held, and still held after a look.
    EXPECT_FALSE(Wait(a, reply));
    EXPECT_FALSE(keeper.WaitIsOver(a, true, reply));
    Type(2);
    ASSERT_TRUE(keeper.WaitIsOver(a, true, reply));
    EXPECT_EQ(reply.counts.keys, 2);
    EXPECT_FALSE(keeper.WaitIsOver(a, true, reply)) << "answered once";
    // Counts waiting when the Wait comes are given at once.
    Type(1);
    ASSERT_TRUE(Wait(a, reply));
    EXPECT_EQ(reply.counts.keys, 1);
    // A lock is news, and so is the unlock.
    EXPECT_FALSE(Wait(a, reply));
    sessions.Set(kAlice, true);
    keeper.RefreshSeat();
    ASSERT_TRUE(keeper.WaitIsOver(a, true, reply));
    EXPECT_EQ(reply.status, Status::SessionInactive);
    EXPECT_FALSE(Wait(a, reply));
    Type(3);  // counted for nobody
    EXPECT_FALSE(keeper.WaitIsOver(a, true, reply));
    sessions.Set(kAlice);
    keeper.RefreshSeat();
    ASSERT_TRUE(keeper.WaitIsOver(a, true, reply));
    EXPECT_EQ(reply.status, Status::Counting);
    EXPECT_EQ(reply.counts.keys, 0);
    // One request at a time: another one while a Wait is held is refused.
    EXPECT_FALSE(Wait(a, reply));
    EXPECT_EQ(Take(a).status, Status::BadRequest);
    // A new connection in the same slot starts afresh.
    keeper.Close(a);
    const int again = keeper.Open(kAlice);
    ASSERT_TRUE(Wait(again, reply));
    EXPECT_EQ(reply.status, Status::Counting);
}

}  // namespace
}  // namespace tavrel::inputd
