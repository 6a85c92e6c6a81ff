// SPDX-License-Identifier: GPL-3.0-or-later
// What each connection is given, and when, as sessions come to the front, lock and leave,
// and as the release grid's points pass.
#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "tavrel/count_keeper.h"

namespace tavrel::inputd {
namespace {

using namespace hooks::evdev;

constexpr std::uint32_t kAlice = 1000;
constexpr std::uint32_t kBob = 1001;

class FakeSessionSource final : public SessionSource {
  public:
    SeatState Seat() override { return seat; }
    // Both users have a session; `active` is in front (0: nobody), its lock known.
    void Set(std::uint32_t active, bool locked = false) {
        seat = SeatState{};
        seat.hasActive = active != 0;
        seat.activeUid = active;
        seat.lockKnown = true;
        seat.activeLocked = locked;
        seat.uids[seat.uidCount++] = kAlice;
        seat.uids[seat.uidCount++] = kBob;
    }
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
    // Opens a connection for `uid`; its exchange lives as long as the test.
    Exchange& Open(std::uint32_t uid) {
        exchanges.emplace_back();
        EXPECT_TRUE(keeper.Open(uid, exchanges.back()));
        return exchanges.back();
    }
    Verdict Ask(Exchange& x, RequestKind kind, Reply& reply, std::uint32_t doubleClickMs = 0) {
        Request r;
        r.kind = kind;
        r.doubleClickMs = doubleClickMs;
        return keeper.Answer(x, r, true, period, reply);
    }
    // A Take answered at once, in a grid period of its own.
    Reply Take(Exchange& x, std::uint32_t doubleClickMs = 0) {
        ++period;
        Reply reply;
        EXPECT_NE(Ask(x, RequestKind::Take, reply, doubleClickMs), Verdict::Hold);
        return reply;
    }
    // A point of the grid: the next period begins, and what was counted is released.
    void Point() {
        ++period;
        keeper.ReachGridPoint();
    }
    void Switch(std::uint32_t active, bool locked = false) {
        sessions.Set(active, locked);
        keeper.RefreshSeat();
    }

    FakeSessionSource sessions;
    CountKeeper keeper{sessions};
    hooks::EvdevDevice keyboard{};
    std::int64_t period = 100;
    std::deque<Exchange> exchanges;
};

TEST_F(CountKeeperTest, CountsAreReleasedOnlyAtGridPoints) {
    Switch(kAlice);
    Exchange& a = Open(kAlice);
    Type(3);
    EXPECT_TRUE(keeper.NeedsGridPoint());
    EXPECT_EQ(Take(a).counts.keys, 0) << "not before the next point";
    Point();
    EXPECT_FALSE(keeper.NeedsGridPoint()) << "an idle service needs no timer";
    Exchange& a2 = Open(kAlice);  // a second window of the same user starts from the point
    Type(2);
    Point();
    EXPECT_EQ(Take(a).counts.keys, 5);
    EXPECT_EQ(Take(a).counts.keys, 0);
    EXPECT_EQ(Take(a2).counts.keys, 2);
}

TEST_F(CountKeeperTest, OneReplyAGridPeriod) {
    Switch(kAlice);
    Exchange& a = Open(kAlice);
    Reply reply;
    ASSERT_EQ(Ask(a, RequestKind::Take, reply), Verdict::Reply);
    Type(1);
    Point();
    // A second request in the same period as a reply waits for the next point.
    ++period;
    ASSERT_EQ(Ask(a, RequestKind::Take, reply), Verdict::Reply);
    EXPECT_EQ(reply.counts.keys, 1);
    Type(1);
    EXPECT_EQ(Ask(a, RequestKind::Take, reply), Verdict::Hold);
    EXPECT_EQ(keeper.Resume(a, true, period, reply), Verdict::Hold) << "not within the period";
    // A further request meanwhile is one too many.
    Reply bad;
    EXPECT_EQ(Ask(a, RequestKind::Take, bad), Verdict::ReplyAndClose);
    EXPECT_EQ(bad.status, Status::BadRequest);
    Exchange& b = Open(kAlice);
    ASSERT_EQ(Ask(b, RequestKind::Take, reply), Verdict::Reply);
    EXPECT_EQ(Ask(b, RequestKind::Take, reply), Verdict::Hold);
    Point();
    ASSERT_EQ(keeper.Resume(b, true, period, reply), Verdict::Reply);
    EXPECT_EQ(reply.counts.keys, 1);
}

TEST_F(CountKeeperTest, AWaitIsAnsweredAtThePointAfterACountOrANewStatus) {
    Switch(kAlice);
    Exchange& a = Open(kAlice);
    Reply reply;
    // A first request has something to say whatever it is: the status.
    ASSERT_EQ(Ask(a, RequestKind::Wait, reply), Verdict::Reply);
    EXPECT_EQ(reply.status, Status::Counting);
    Point();
    EXPECT_EQ(Ask(a, RequestKind::Wait, reply), Verdict::Hold);
    Point();
    EXPECT_EQ(keeper.Resume(a, true, period, reply), Verdict::Hold);
    Type(2);
    EXPECT_EQ(keeper.Resume(a, true, period, reply), Verdict::Hold) << "counted, not released";
    Point();
    ASSERT_EQ(keeper.Resume(a, true, period, reply), Verdict::Reply);
    EXPECT_EQ(reply.counts.keys, 2);
    EXPECT_EQ(keeper.Resume(a, true, period, reply), Verdict::Hold) << "answered once";
    // A lock is news, and so is the unlock; what was typed locked is nobody's.
    Point();
    EXPECT_EQ(Ask(a, RequestKind::Wait, reply), Verdict::Hold);
    Switch(kAlice, true);
    Point();
    ASSERT_EQ(keeper.Resume(a, true, period, reply), Verdict::Reply);
    EXPECT_EQ(reply.status, Status::SessionInactive);
    Point();
    EXPECT_EQ(Ask(a, RequestKind::Wait, reply), Verdict::Hold);
    Type(3);
    Point();
    EXPECT_EQ(keeper.Resume(a, true, period, reply), Verdict::Hold);
    Switch(kAlice);
    Point();
    ASSERT_EQ(keeper.Resume(a, true, period, reply), Verdict::Reply);
    EXPECT_EQ(reply.status, Status::Counting);
    EXPECT_EQ(reply.counts.keys, 0);
}

TEST_F(CountKeeperTest, CountsFollowTheUserInFront) {
    Switch(kAlice);
    Exchange& a = Open(kAlice);
    Exchange& b = Open(kBob);
    Type(2);  // Alice's
    Reply rb = Take(b);
    EXPECT_EQ(rb.status, Status::SessionInactive);
    EXPECT_EQ(rb.counts.keys, 0);

    Switch(kBob);  // Bob's session comes to the front
    Type(4);       // Bob's
    Point();
    Reply ra = Take(a);
    EXPECT_EQ(ra.status, Status::SessionInactive);
    EXPECT_EQ(ra.counts.keys, 0);
    EXPECT_EQ(Take(b).counts.keys, 4);  // none of Alice's

    Switch(kAlice);
    Type(1);
    Point();
    // Alice's two from before the switch were kept for her, Bob's four are not hers.
    EXPECT_EQ(Take(a).counts.keys, 3);
}

TEST_F(CountKeeperTest, NothingCountsWhileLockedUnknownOrNobodyIsInFront) {
    Switch(kAlice);
    Exchange& a = Open(kAlice);
    Type(1);
    Switch(kAlice, /*locked=*/true);
    Type(5);  // the password at the lock screen
    EXPECT_EQ(Take(a).status, Status::SessionInactive);
    Switch(0);
    Type(5);  // the greeter
    sessions.Set(kAlice);
    sessions.seat.lockKnown = false;  // the bus went away
    keeper.RefreshSeat();
    Type(5);
    EXPECT_EQ(Take(a).status, Status::SessionInactive);
    Switch(kAlice);
    Point();
    Reply r = Take(a);
    EXPECT_EQ(r.status, Status::Counting);
    EXPECT_EQ(r.counts.keys, 1);
}

TEST_F(CountKeeperTest, TheUserInFrontWaitsForLogindsWordOnTheLock) {
    sessions.Set(kAlice);
    sessions.seat.lockKnown = false;
    sessions.seat.lockPending = true;
    keeper.RefreshSeat();
    Exchange& a = Open(kAlice);
    Exchange& b = Open(kBob);
    Reply reply;
    EXPECT_EQ(Ask(a, RequestKind::Take, reply), Verdict::Hold);
    ASSERT_EQ(Ask(b, RequestKind::Take, reply), Verdict::Reply) << "the others need not wait";
    EXPECT_EQ(reply.status, Status::SessionInactive);
    Switch(kAlice);
    Point();
    ASSERT_EQ(keeper.Resume(a, true, period, reply), Verdict::Reply);
    EXPECT_EQ(reply.status, Status::Counting);
}

TEST_F(CountKeeperTest, BadRequestsAndStrangersAreAnsweredOnceAndClosed) {
    Switch(kAlice);
    Exchange& a = Open(kAlice);
    Exchange& stranger = Open(4242);
    Type(2);
    Point();
    Request badMagic;
    badMagic.magic = 0x12345678;
    Request badKind;
    badKind.kind = static_cast<RequestKind>(7);
    for (const Request& bad : {badMagic, badKind}) {
        Reply r;
        EXPECT_EQ(keeper.Answer(a, bad, true, ++period, r), Verdict::ReplyAndClose);
        EXPECT_EQ(r.status, Status::BadRequest);
        EXPECT_EQ(r.counts.keys, 0);
    }
    Reply s;
    EXPECT_EQ(Ask(stranger, RequestKind::Take, s), Verdict::ReplyAndClose);
    EXPECT_EQ(s.status, Status::NotSeatUser);
    EXPECT_EQ(s.counts.keys, 0);
    EXPECT_EQ(Take(a).counts.keys, 2);  // a bad request takes nothing away
}

TEST_F(CountKeeperTest, EachVersionIsAnsweredInKind) {
    Switch(kAlice);
    Exchange& a = Open(kAlice);
    Request v1;
    v1.magic = kMagicV1;
    Reply reply;
    ASSERT_EQ(keeper.Answer(a, v1, true, ++period, reply), Verdict::Reply);
    EXPECT_EQ(reply.magic, kMagicV1);
    EXPECT_EQ(reply.status, Status::Counting);
    EXPECT_EQ(Take(a).magic, kMagic);
}

TEST_F(CountKeeperTest, OnlyTheUserInFrontSetsTheDoubleClickTime) {
    Switch(kAlice);
    Exchange& a = Open(kAlice);
    Exchange& b = Open(kBob);
    Take(b, 5000);  // ignored: Bob is behind
    Take(a, 300);
    hooks::EvdevDevice mouse{};
    for (std::uint32_t t : {0u, 400u}) {
        keeper.Translator().Translate(mouse, {t, EvKey, BtnLeft, KeyPress});
        keeper.Translator().Translate(mouse, {t + 10, EvKey, BtnLeft, KeyRelease});
    }
    Point();
    const Reply r = Take(a);
    EXPECT_EQ(r.counts.clicks, 2);
    EXPECT_EQ(r.counts.doubleClicks, 0);
}

TEST_F(CountKeeperTest, NobodyCanTakeTheRoomOfTheUserInFront) {
    sessions.Set(kAlice);
    for (std::uint32_t uid = 3000; uid < 3010; ++uid)
        sessions.seat.uids[sessions.seat.uidCount++] = uid;
    keeper.RefreshSeat();
    const auto fill = [this](std::uint32_t uid, std::size_t tries) {
        std::size_t opened = 0;
        for (std::size_t i = 0; i < tries; ++i) {
            exchanges.emplace_back();
            if (keeper.Open(uid, exchanges.back())) ++opened;
        }
        return opened;
    };
    // Many users with no session here, each as many times as it may: a few get that far.
    std::size_t strangers = 0;
    for (std::uint32_t uid = 2000; uid < 2064; ++uid) strangers += fill(uid, 8);
    EXPECT_EQ(strangers, CountLedger::kMaxStrangers);
    // The users behind, as many as there are, no one of them more than its share.
    EXPECT_EQ(fill(kBob, 20), CountLedger::kMaxPerUser);
    std::size_t behind = CountLedger::kMaxPerUser;
    for (std::uint32_t uid = 3000; uid < 3010; ++uid) behind += fill(uid, 8);
    EXPECT_EQ(strangers + behind, CountLedger::kMaxConnections - CountLedger::kKeptForFront);
    // What is left is the user in front's.
    EXPECT_EQ(fill(kAlice, 20), CountLedger::kKeptForFront);
    EXPECT_EQ(fill(2100, 1), 0u);
    // A connection that goes gives its room back.
    for (auto x = exchanges.rbegin(); x != exchanges.rend(); ++x) {
        if (!x->slot.valid()) continue;
        *x = Exchange{};  // one of Alice's
        break;
    }
    EXPECT_EQ(fill(kAlice, 1), 1u);
}

}  // namespace
}  // namespace tavrel::inputd
