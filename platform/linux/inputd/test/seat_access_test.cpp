// Who the input service answers with counts.
#include <gtest/gtest.h>

#include <initializer_list>

#include "tavrel/seat_access.h"

namespace tavrel::inputd {
namespace {

SeatState Seat(bool hasActive, std::uint32_t activeUid, bool locked,
               std::initializer_list<std::uint32_t> others) {
    SeatState s;
    s.hasActive = hasActive;
    s.activeUid = activeUid;
    s.activeLocked = locked;
    for (std::uint32_t uid : others) s.uids[s.uidCount++] = uid;
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
