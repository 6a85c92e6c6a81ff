// SPDX-License-Identifier: GPL-3.0-or-later
// Who the input service answers with counts.
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "tavrel/seat_access.h"

namespace tavrel::inputd {
namespace {

SeatState Seat(bool hasActive, std::uint32_t activeUid, bool locked,
               std::initializer_list<std::uint32_t> others) {
    SeatState s;
    s.hasActive = hasActive;
    s.activeUid = activeUid;
    s.lockKnown = true;
    s.activeLocked = locked;
    for (std::uint32_t uid : others) s.uids[s.uidCount++] = uid;
    return s;
}

SeatState Unknown(SeatState s) {
    s.lockKnown = false;
    return s;
}

TEST(SeatAccessTest, OnlyTheUnlockedUserInFrontIsCounted) {
    struct Case {
        const char* name;
        SeatState seat;
        std::uint32_t uid;
        bool devices;
        Status expected;
    } cases[] = {
        {"the user in front", Seat(true, 1000, false, {1000, 1001}), 1000, true, Status::Counting},
        {"the user in front, no devices", Seat(true, 1000, false, {1000}), 1000, false,
         Status::NoDevices},
        {"a user whose session is behind", Seat(true, 1000, false, {1000, 1001}), 1001, true,
         Status::SessionInactive},
        {"the user in front, locked", Seat(true, 1000, true, {1000}), 1000, true,
         Status::SessionInactive},
        {"a seat user while nobody is in front", Seat(false, 0, false, {1001}), 1001, true,
         Status::SessionInactive},
        {"a user with no session on the seat", Seat(true, 1000, false, {1000, 1001}), 1002, true,
         Status::NotSeatUser},
        {"root is no exception", Seat(true, 1000, false, {1000}), 0, true, Status::NotSeatUser},
        {"an empty seat (no logind)", SeatState{}, 1000, true, Status::NotSeatUser},
        {"the user in front, lock not known", Unknown(Seat(true, 1000, false, {1000})), 1000, true,
         Status::SessionInactive},
        {"no devices is not told to others", Seat(true, 1000, false, {1000, 1001}), 1001, false,
         Status::SessionInactive},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(AccessFor(c.uid, c.seat, c.devices), c.expected);
    }
}

TEST(SeatAccessTest, TheOwnerIsTheActiveUnlockedUser) {
    EXPECT_EQ(OwnerOf(Seat(true, 7, false, {})), (CountingOwner{true, 7}));
    EXPECT_FALSE(OwnerOf(Seat(true, 7, true, {7})).any);
    EXPECT_FALSE(OwnerOf(Seat(false, 7, false, {7})).any);
    EXPECT_NE(OwnerOf(Seat(true, 7, false, {})), OwnerOf(Seat(true, 8, false, {})));
    EXPECT_FALSE(OwnerOf(Unknown(Seat(true, 7, false, {7}))).any) << "a doubt counts for nobody";
    EXPECT_EQ(RankOf(7, Seat(true, 7, true, {7, 8})), Rank::Front);
    EXPECT_EQ(RankOf(8, Seat(true, 7, false, {7, 8})), Rank::SeatUser);
    EXPECT_EQ(RankOf(9, Seat(true, 7, false, {7, 8})), Rank::Stranger);
}

TEST(SeatAccessTest, TheLockFailsClosed) {
    struct Step {
        enum { Hint, HintUnknown, Lock, Unlock, Forget } what;
        bool value;
        bool locked;  // after the step
        const char* why;
    };
    const std::vector<std::vector<Step>> runs = {
        {{Step::Forget, false, true, "nothing read yet"},
         {Step::Hint, false, false, "logind says unlocked"},
         {Step::Hint, true, true, "the locker locks"},
         {Step::Hint, false, false, "the locker unlocks"},
         {Step::HintUnknown, false, true, "the hint changed to something unsaid"},
         {Step::Hint, false, false, "read again"},
         {Step::Forget, false, true, "the bus went away"}},
        {{Step::Hint, false, false, "unlocked"},
         {Step::Lock, false, true, "logind asks for a lock"},
         {Step::Hint, false, true, "a cleared hint does not end logind's lock"},
         {Step::Unlock, false, false, "logind's unlock does"}},
        {{Step::Hint, false, false, "unlocked"},
         {Step::Lock, false, true, "logind asks for a lock"},
         {Step::Hint, true, true, "the locker raises the hint"},
         {Step::Hint, false, false, "and lowers it when it unlocks"}},
    };
    for (const auto& run : runs) {
        LockRule rule;
        for (const Step& step : run) {
            SCOPED_TRACE(step.why);
            switch (step.what) {
                case Step::Hint:
                    rule.Hint(step.value);
                    break;
                case Step::HintUnknown:
                    rule.HintUnknown();
                    break;
                case Step::Lock:
                    rule.LockSignal();
                    break;
                case Step::Unlock:
                    rule.UnlockSignal();
                    break;
                case Step::Forget:
                    rule.Forget();
                    break;
            }
            EXPECT_EQ(rule.Locked(), step.locked);
        }
    }
}

TEST(SeatAccessTest, EveryStatusHasASentence) {
    for (Status s : {Status::Counting, Status::SessionInactive, Status::NotSeatUser,
                     Status::BadRequest, Status::NoDevices, static_cast<Status>(99)}) {
        ASSERT_NE(StatusText(s), nullptr);
        EXPECT_GT(std::char_traits<char>::length(StatusText(s)), 20u);
    }
    EXPECT_STRNE(StatusText(Status::SessionInactive), StatusText(Status::NotSeatUser));
}

}  // namespace
}  // namespace tavrel::inputd
