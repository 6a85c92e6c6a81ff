// SPDX-License-Identifier: GPL-3.0-or-later
// Installing and removing the hooks with an install count shared by several processes.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fake_hook_platform.h"
#include "tavrel/hooks_core.h"

namespace tavrel::hooks {
namespace {

using testing::FakeHookPlatform;

class InstallTest : public ::testing::Test {
  protected:
    std::int32_t Init(ProcessState& process) {
        platform.ActAs(process);
        return InitHooks(block, process, platform);
    }
    std::int32_t Kill(ProcessState& process) {
        platform.ActAs(process);
        return KillHooks(block, process, platform);
    }
    void AddActivity() {
        const ScreenPoint p{3, 4};
        ProcessState somewhere{};
        CountMouseMessage(block, somewhere, 0, mouse_message::Move, &p);
        CountMouseMessage(block, somewhere, 0, mouse_message::LeftDown, &p);
        CountMouseMessage(block, somewhere, 0, mouse_message::LeftUp, &p);
        CountKeyboardMessage(block, 0, PreviousKeyStateFlag);
    }
    bool RecordIsZero() const {
        const MDTAG& a = block.activity;
        return a.moveDistance == 0.0f && !std::signbit(a.moveDistance) && a.dragDistance == 0.0f &&
               !std::signbit(a.dragDistance) && a.clicks == 0 && a.doubleClicks == 0 && a.keys == 0;
    }

    ActivityBlock block{};
    FakeHookPlatform platform;
    ProcessState a{};
    ProcessState b{};
};

TEST_F(InstallTest, GetDataWithoutHooksReturnsOneAndZeros) {
    MDTAG record{7.0f, 7.0f, 7, 7, 7};
    EXPECT_EQ(GetData(block, &record), 1);
    EXPECT_EQ(record.moveDistance, 0.0f);
    EXPECT_FALSE(std::signbit(record.moveDistance));
    EXPECT_EQ(record.dragDistance, 0.0f);
    EXPECT_EQ(record.clicks, 0);
    EXPECT_EQ(record.doubleClicks, 0);
    EXPECT_EQ(record.keys, 0);
    EXPECT_TRUE(platform.installs.empty());
}

TEST_F(InstallTest, FirstUserInstallsMouseThenKeyboardHookForAllThreads) {
    EXPECT_EQ(Init(a), 1);
    ASSERT_EQ(platform.installs.size(), 2u);
    EXPECT_EQ(platform.installs[0].type, HookType::Mouse);
    EXPECT_EQ(platform.installs[1].type, HookType::Keyboard);
    EXPECT_EQ(block.mouseHook, platform.installs[0].handle);
    EXPECT_EQ(block.keyboardHook, platform.installs[1].handle);
    EXPECT_EQ(block.installCount, 1);
    EXPECT_EQ(a.initialised, 1);
}

TEST_F(InstallTest, InitHooksClearsRecordAndButtonDown) {
    AddActivity();
    block.buttonDown = 1;
    EXPECT_EQ(Init(a), 1);
    EXPECT_TRUE(RecordIsZero());
    EXPECT_EQ(block.buttonDown, 0);
}

TEST_F(InstallTest, SecondInitInSameProcessIsRefusedAndChangesNothing) {
    ASSERT_EQ(Init(a), 1);
    AddActivity();
    block.buttonDown = 1;
    EXPECT_EQ(Init(a), 0);
    EXPECT_EQ(block.installCount, 1);
    EXPECT_EQ(block.activity.clicks, 1);
    EXPECT_EQ(block.buttonDown, 1);
    EXPECT_EQ(platform.installs.size(), 2u);
}

TEST_F(InstallTest, KillWithoutInitIsRefusedEvenWhileAnotherProcessHoldsTheHooks) {
    EXPECT_EQ(Kill(a), 0);
    EXPECT_EQ(block.installCount, 0);
    ASSERT_EQ(Init(a), 1);
    AddActivity();
    EXPECT_EQ(Kill(b), 0);
    EXPECT_EQ(block.installCount, 1);
    EXPECT_EQ(platform.live.size(), 2u);
    EXPECT_EQ(block.activity.keys, 1);
}

TEST_F(InstallTest, TwoProcessesShareTheHooksUntilTheLastOneLeaves) {
    EXPECT_EQ(Init(a), 1);
    EXPECT_EQ(block.installCount, 1);
    AddActivity();

    EXPECT_EQ(Init(b), 1);  // counts itself in, restarts the accumulation, no new hooks
    EXPECT_EQ(block.installCount, 2);
    EXPECT_TRUE(RecordIsZero());
    EXPECT_EQ(platform.installs.size(), 2u);

    AddActivity();
    EXPECT_EQ(Kill(a), 1);  // hooks stay for b
    EXPECT_EQ(block.installCount, 1);
    EXPECT_EQ(platform.live.size(), 2u);
    EXPECT_TRUE(platform.removed.empty());
    EXPECT_EQ(block.activity.clicks, 1);  // KillHooks leaves the record alone

    EXPECT_EQ(Kill(b), 1);  // the last one removes both hooks
    EXPECT_EQ(block.installCount, 0);
    EXPECT_TRUE(platform.live.empty());
    EXPECT_EQ(platform.removed.size(), 2u);
    EXPECT_TRUE(platform.removedUnknown.empty());
    EXPECT_EQ(block.activity.clicks, 1);
}

TEST_F(InstallTest, RemovedHandlesAreClearedAndNeverRemovedTwice) {
    ASSERT_EQ(Init(a), 1);
    ASSERT_EQ(Kill(a), 1);
    EXPECT_EQ(block.mouseHook, 0u);
    EXPECT_EQ(block.keyboardHook, 0u);

    // A later install that fails at the mouse hook must not leave the old keyboard handle
    // for the following KillHooks to hand back to the platform.
    platform.refuseMouse = true;
    EXPECT_EQ(Init(a), 0);
    EXPECT_EQ(Kill(a), 1);
    EXPECT_EQ(platform.removed.size(), 2u);
    EXPECT_TRUE(platform.removedUnknown.empty());
}

TEST_F(InstallTest, RefusedMouseHookFailsWithoutTryingTheKeyboardHook) {
    platform.refuseMouse = true;
    EXPECT_EQ(Init(a), 0);
    ASSERT_EQ(platform.installs.size(), 1u);
    EXPECT_EQ(platform.installs[0].type, HookType::Mouse);
    EXPECT_EQ(block.mouseHook, 0u);
    EXPECT_EQ(block.installCount, 1);  // still counted in
    EXPECT_EQ(a.initialised, 1);

    EXPECT_EQ(Init(a), 0);  // no second attempt while initialised
    EXPECT_EQ(platform.installs.size(), 1u);

    EXPECT_EQ(Kill(a), 1);
    EXPECT_TRUE(platform.removed.empty());
    EXPECT_EQ(block.installCount, 0);

    platform.refuseMouse = false;  // after KillHooks the next InitHooks tries afresh
    EXPECT_EQ(Init(a), 1);
    EXPECT_EQ(platform.live.size(), 2u);
}

TEST_F(InstallTest, RefusedKeyboardHookFailsAndTheMouseHookStays) {
    platform.refuseKeyboard = true;
    EXPECT_EQ(Init(a), 0);
    ASSERT_EQ(platform.installs.size(), 2u);
    EXPECT_NE(block.mouseHook, 0u);
    EXPECT_EQ(block.keyboardHook, 0u);
    EXPECT_EQ(platform.live.size(), 1u);
    EXPECT_EQ(block.installCount, 1);

    EXPECT_EQ(Kill(a), 1);  // removes the mouse hook only
    ASSERT_EQ(platform.removed.size(), 1u);
    EXPECT_EQ(platform.removed[0], platform.installs[0].handle);
    EXPECT_TRUE(platform.live.empty());
}

TEST_F(InstallTest, LaterProcessSucceedsOverAFailedInstall) {
    // The hooks are taken to be in place for an earlier caller, whatever became of them.
    platform.refuseMouse = true;
    EXPECT_EQ(Init(a), 0);
    EXPECT_EQ(Init(b), 1);
    EXPECT_EQ(block.installCount, 2);
    EXPECT_EQ(platform.installs.size(), 1u);
}

TEST_F(InstallTest, TwoPollersEachReceiveOnlyWhatCameSinceEitherPolled) {
    ASSERT_EQ(Init(a), 1);
    AddActivity();
    MDTAG first{}, second{}, third{};
    GetData(block, &first);   // process a polls
    GetData(block, &second);  // process b polls
    AddActivity();
    GetData(block, &third);
    EXPECT_EQ(first.clicks, 1);
    EXPECT_EQ(first.moveDistance, 5.0f);
    EXPECT_EQ(second.clicks, 0);
    EXPECT_EQ(second.moveDistance, 0.0f);
    EXPECT_EQ(third.keys, 1);
}

TEST_F(InstallTest, GetDataChangesNothingButTheRecord) {
    ASSERT_EQ(Init(a), 1);
    block.buttonDown = 1;
    a.lastX = 12;
    const ActivityBlock before = block;
    const ProcessState processBefore = a;
    MDTAG record{};
    GetData(block, &record);
    EXPECT_EQ(block.mouseHook, before.mouseHook);
    EXPECT_EQ(block.keyboardHook, before.keyboardHook);
    EXPECT_EQ(block.buttonDown, 1);
    EXPECT_EQ(block.installCount, 1);
    EXPECT_EQ(a.initialised, processBefore.initialised);
    EXPECT_EQ(a.lastX, 12);
}

}  // namespace
}  // namespace tavrel::hooks
