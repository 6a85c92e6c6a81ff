// SPDX-License-Identifier: GPL-3.0-or-later
// The counting rules of the mouse and keyboard hook procedures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "tavrel/hooks_core.h"

namespace tavrel::hooks {
namespace {

namespace mm = mouse_message;

constexpr std::uint32_t Repeat = PreviousKeyStateFlag;  // auto-repeat or release
constexpr std::uint32_t FirstPress = 0;

class CountingTest : public ::testing::Test {
  protected:
    void Move(std::int32_t x, std::int32_t y, std::int32_t code = 0) {
        const ScreenPoint point{x, y};
        CountMouseMessage(block, process, code, mm::Move, &point);
    }
    void Mouse(std::uint32_t message, std::int32_t code = 0) {
        // Button messages carry a position too; the rules must not look at it.
        const ScreenPoint point{9999, -9999};
        CountMouseMessage(block, process, code, message, &point);
    }
    MDTAG Take() {
        MDTAG record{1.0f, 1.0f, 99, 99, 99};
        EXPECT_EQ(GetData(block, &record), 1);
        return record;
    }

    ActivityBlock block{};
    ProcessState process{};
};

TEST_F(CountingTest, FirstMoveInAProcessIsMeasuredFromTheOrigin) {
    Move(300, 400);
    const MDTAG r = Take();
    EXPECT_EQ(r.moveDistance, 500.0f);
    EXPECT_EQ(r.dragDistance, 0.0f);
    EXPECT_EQ(process.lastX, 300);
    EXPECT_EQ(process.lastY, 400);
}

TEST_F(CountingTest, DragWithButtonDownAddsToDragDistanceOnly) {
    Move(10, 10);
    Take();
    Mouse(mm::LeftDown);
    Move(13, 14);
    Move(13, 14);  // same position again adds nothing
    const MDTAG r = Take();
    EXPECT_EQ(r.dragDistance, 5.0f);
    EXPECT_EQ(r.moveDistance, 0.0f);
    EXPECT_EQ(r.clicks, 0);
}

TEST_F(CountingTest, DistancesAreSummedInDoubleAndStoredAsFloat) {
    // 2^24 + 1 is not a float: each single addition of 1 to 2^24 rounds back to 2^24.
    Move(16777216, 0);
    Move(16777217, 0);
    EXPECT_EQ(Take().moveDistance, 16777216.0f);
}

TEST_F(CountingTest, ExtremeCoordinatesDoNotOverflow) {
    Move(INT32_MIN, INT32_MIN);
    Take();
    Move(INT32_MAX, INT32_MIN);
    EXPECT_EQ(Take().moveDistance, 4294967295.0f);
}

TEST_F(CountingTest, DoubleClickSequenceCountsOneDoubleClickAndNoClick) {
    Mouse(mm::LeftDown);
    Mouse(mm::LeftUp);
    Mouse(mm::LeftDoubleClick);
    Mouse(mm::LeftUp);
    const MDTAG r = Take();
    EXPECT_EQ(r.clicks, 0);
    EXPECT_EQ(r.doubleClicks, 1);
    EXPECT_EQ(block.buttonDown, 0);
}

TEST_F(CountingTest, DoubleClickSplitByGetDataGivesOneThenMinusOneClick) {
    Mouse(mm::RightDown);
    Mouse(mm::RightUp);
    const MDTAG first = Take();
    Mouse(mm::RightDoubleClick);
    Mouse(mm::RightUp);
    const MDTAG second = Take();
    EXPECT_EQ(first.clicks, 1);
    EXPECT_EQ(first.doubleClicks, 0);
    EXPECT_EQ(second.clicks, -1);
    EXPECT_EQ(second.doubleClicks, 1);
}

TEST_F(CountingTest, MovesBetweenDoubleClickAndReleaseCountAsMoves) {
    Move(0, 0);
    Mouse(mm::MiddleDown);
    Mouse(mm::MiddleDoubleClick);
    Move(3, 4);
    const MDTAG r = Take();
    EXPECT_EQ(r.moveDistance, 5.0f);
    EXPECT_EQ(r.dragDistance, 0.0f);
}

TEST_F(CountingTest, ReleasingOneOfTwoButtonsEndsTheDrag) {
    Mouse(mm::LeftDown);
    Mouse(mm::RightDown);
    Mouse(mm::RightUp);
    EXPECT_EQ(block.buttonDown, 0);
    Move(3, 4);  // left still held, counted as a move
    const MDTAG r = Take();
    EXPECT_EQ(r.moveDistance, 5.0f);
    EXPECT_EQ(r.dragDistance, 0.0f);
    EXPECT_EQ(r.clicks, 1);
}

TEST_F(CountingTest, GetDataLeavesTheButtonDown) {
    Mouse(mm::LeftDown);
    Take();
    EXPECT_EQ(block.buttonDown, 1);
    Move(6, 8);
    EXPECT_EQ(Take().dragDistance, 10.0f);
}

TEST_F(CountingTest, EveryButtonMessageHasItsEffect) {
    struct Case {
        std::uint32_t message;
        std::int32_t clicks, doubleClicks, buttonDownAfter;
    };
    const Case cases[] = {
        {mm::LeftDown, 0, 0, 1},   {mm::LeftUp, 1, 0, 0},   {mm::LeftDoubleClick, -2, 1, 0},
        {mm::RightDown, 0, 0, 1},  {mm::RightUp, 1, 0, 0},  {mm::RightDoubleClick, -2, 1, 0},
        {mm::MiddleDown, 0, 0, 1}, {mm::MiddleUp, 1, 0, 0}, {mm::MiddleDoubleClick, -2, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "message 0x" << std::hex << c.message);
        for (std::int32_t before : {0, 1}) {
            block.buttonDown = before;
            Mouse(c.message);
            const MDTAG r = Take();
            EXPECT_EQ(r.clicks, c.clicks);
            EXPECT_EQ(r.doubleClicks, c.doubleClicks);
            EXPECT_EQ(r.keys, 0);
            EXPECT_EQ(block.buttonDown, c.buttonDownAfter);
            EXPECT_EQ(process.lastX, 0);  // button messages leave the position alone
        }
    }
}

TEST_F(CountingTest, NegativeCodesCountNothingAndNoRemoveCodesCount) {
    Mouse(mm::LeftUp, -1);
    Move(300, 400, -1);
    Mouse(mm::LeftDown, -1);
    MDTAG r = Take();
    EXPECT_EQ(r.clicks, 0);
    EXPECT_EQ(r.moveDistance, 0.0f);
    EXPECT_EQ(block.buttonDown, 0);
    EXPECT_EQ(process.lastX, 0);

    // A release peeked at (code 3) and then removed (code 0) counts twice; a move reported
    // twice adds its distance once, the second report finding the position unchanged.
    Mouse(mm::LeftUp, 3);
    Mouse(mm::LeftUp, 0);
    Move(3, 4, 3);
    Move(3, 4, 0);
    r = Take();
    EXPECT_EQ(r.clicks, 2);
    EXPECT_EQ(r.moveDistance, 5.0f);
}

TEST_F(CountingTest, MessagesOutsideTheRangeChangeNothing) {
    Move(10, 10);
    Take();
    const std::uint32_t outside[] = {0x00A0, 0x00A1, 0x00A3, 0x00A9, 0x01FF, 0x020A,
                                     0x020B, 0x020C, 0x020D, 0x020E, 0x0100, 0xFFFFFFFF};
    block.buttonDown = 1;
    for (std::uint32_t message : outside) {
        SCOPED_TRACE(::testing::Message() << "message 0x" << std::hex << message);
        const ScreenPoint far{5000, 5000};
        CountMouseMessage(block, process, 0, message, &far);
        const MDTAG r = Take();
        EXPECT_EQ(r.moveDistance, 0.0f);
        EXPECT_EQ(r.dragDistance, 0.0f);
        EXPECT_EQ(r.clicks, 0);
        EXPECT_EQ(r.doubleClicks, 0);
        EXPECT_EQ(block.buttonDown, 1);
        EXPECT_EQ(process.lastX, 10);
        EXPECT_EQ(process.lastY, 10);
    }
    // The next move is measured from the last move inside the range.
    block.buttonDown = 0;
    Move(13, 14);
    EXPECT_EQ(Take().moveDistance, 5.0f);
}

TEST_F(CountingTest, MoveWithoutPositionChangesNothing) {
    CountMouseMessage(block, process, 0, mm::Move, nullptr);
    EXPECT_EQ(Take().moveDistance, 0.0f);
    Move(3, 4);
    EXPECT_EQ(Take().moveDistance, 5.0f);
}

TEST_F(CountingTest, LastPositionIsPerProcessAndSurvivesGetData) {
    ProcessState other{};
    Move(300, 400);
    const ScreenPoint p{303, 404};
    CountMouseMessage(block, other, 0, mm::Move, &p);  // other process starts at (0, 0)
    EXPECT_EQ(Take().moveDistance, 500.0f + 505.0f);
    Move(303, 404);  // this process still remembers (300, 400)
    EXPECT_EQ(Take().moveDistance, 5.0f);
}

TEST_F(CountingTest, KeystrokesCountWhenTheKeyWasAlreadyDown) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::int32_t, std::uint32_t>> messages;  // code, flags
        std::int32_t keys;
    };
    const Case cases[] = {
        {"tap", {{0, FirstPress}, {0, Repeat | 0x80000000u}}, 1},
        {"five repeats and release",
         {{0, FirstPress},
          {0, Repeat},
          {0, Repeat},
          {0, Repeat},
          {0, Repeat},
          {0, Repeat},
          {0, Repeat | 0x80000000u}},
         6},
        {"negative code", {{-1, Repeat}, {-5, Repeat | 0x80000000u}}, 0},
        {"peeked then removed", {{3, Repeat}, {0, Repeat}}, 2},
        {"other flag bits only", {{0, 0xBFFFFFFFu}}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& [code, flags] : c.messages) CountKeyboardMessage(block, code, flags);
        const MDTAG r = Take();
        EXPECT_EQ(r.keys, c.keys);
        EXPECT_EQ(r.clicks, 0);
    }
}

TEST_F(CountingTest, GetDataHandsOverEverythingAndLeavesZeros) {
    Move(3, 4);
    Mouse(mm::LeftDown);
    Move(6, 8);
    Mouse(mm::LeftUp);
    CountKeyboardMessage(block, 0, Repeat);
    const MDTAG first = Take();
    EXPECT_EQ(first.moveDistance, 5.0f);
    EXPECT_EQ(first.dragDistance, 5.0f);
    EXPECT_EQ(first.clicks, 1);
    EXPECT_EQ(first.doubleClicks, 0);
    EXPECT_EQ(first.keys, 1);

    const MDTAG second = Take();
    EXPECT_EQ(second.moveDistance, 0.0f);
    EXPECT_FALSE(std::signbit(second.moveDistance));
    EXPECT_EQ(second.dragDistance, 0.0f);
    EXPECT_FALSE(std::signbit(second.dragDistance));
    EXPECT_EQ(second.clicks, 0);
    EXPECT_EQ(second.doubleClicks, 0);
    EXPECT_EQ(second.keys, 0);
}

}  // namespace
}  // namespace tavrel::hooks
