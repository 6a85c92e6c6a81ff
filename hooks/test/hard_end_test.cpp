// SPDX-License-Identifier: GPL-3.0-or-later
// A holder of the hooks that ends without KillHooks (killed, crashed) while the library stays
// mapped elsewhere: the next InitHooks counts it out and, if it was the installer, whose hooks
// the window system removed with it, installs the hooks again.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <ostream>
#include <vector>

#include "fake_hook_platform.h"
#include "tavrel/hooks_core.h"

namespace tavrel::hooks {
namespace {

using testing::FakeHookPlatform;

class HardEndTest : public ::testing::Test {
  protected:
    std::int32_t Init(ProcessState& process) {
        platform.ActAs(process);
        return InitHooks(block, process, platform);
    }
    std::int32_t Kill(ProcessState& process) {
        platform.ActAs(process);
        return KillHooks(block, process, platform);
    }
    bool WasRemoved(HookHandle handle) const {
        return std::find(platform.removed.begin(), platform.removed.end(), handle) !=
               platform.removed.end();
    }

    ActivityBlock block{};
    FakeHookPlatform platform;
};

struct HardEndCase {
    const char* name;
    bool installerEnds;  // process a, which installed the hooks
    bool otherEnds;      // process b, counted in after it
    bool restartInstalls;
    std::int32_t countAfterRestart;
};

void PrintTo(const HardEndCase& c, std::ostream* out) {
    *out << c.name;
}

class HardEndCases : public HardEndTest, public ::testing::WithParamInterface<HardEndCase> {};

// a installs, b counts in, the chosen ones end hard, then c starts; afterwards the
// survivors quit in turn and the last of them removes whatever hooks are left.
TEST_P(HardEndCases, RestartCountsTheEndedOutAndKeepsTheHooksAlive) {
    const HardEndCase& c = GetParam();
    ProcessState a{}, b{}, restarted{};
    ASSERT_EQ(Init(a), 1);
    ASSERT_EQ(Init(b), 1);
    const std::vector<HookHandle> first = platform.live;
    if (c.installerEnds) platform.EndHard(a);
    if (c.otherEnds) platform.EndHard(b);

    block.activity.keys = 4;
    block.buttonDown = 1;
    EXPECT_EQ(Init(restarted), 1);
    EXPECT_EQ(block.installCount, c.countAfterRestart);
    EXPECT_EQ(block.activity.keys, 0);
    EXPECT_EQ(block.buttonDown, 0);
    // Hooks are in place for the restarted process: its own or the living installer's.
    ASSERT_EQ(platform.live.size(), 2u);
    EXPECT_EQ(block.mouseHook, platform.live[0]);
    EXPECT_EQ(block.keyboardHook, platform.live[1]);
    EXPECT_EQ(platform.installs.size(), c.restartInstalls ? 4u : 2u);
    EXPECT_EQ(block.installer, FakeHookPlatform::KeyOf(c.restartInstalls ? restarted : a));

    if (!c.otherEnds) {
        EXPECT_EQ(Kill(b), 1);
    }
    if (!c.installerEnds) {
        EXPECT_EQ(Kill(a), 1);
    }
    EXPECT_EQ(platform.live.size(), 2u);
    EXPECT_EQ(Kill(restarted), 1);
    EXPECT_EQ(block.installCount, 0);
    EXPECT_TRUE(platform.live.empty());
    EXPECT_EQ(block.installer, 0u);
    // The dead installer's handles were forgotten, never handed back to the platform.
    EXPECT_TRUE(platform.removedUnknown.empty());
    for (HookHandle handle : first) EXPECT_EQ(WasRemoved(handle), !c.installerEnds);
}

INSTANTIATE_TEST_SUITE_P(Holders, HardEndCases,
                         ::testing::Values(HardEndCase{"NoneEnded", false, false, false, 3},
                                           HardEndCase{"InstallerEnded", true, false, true, 2},
                                           HardEndCase{"OtherHolderEnded", false, true, false, 2},
                                           HardEndCase{"BothEnded", true, true, true, 1}),
                         [](const ::testing::TestParamInfo<HardEndCase>& info) {
                             return info.param.name;
                         });

TEST_F(HardEndTest, InstallerThatQuitEarlierAndThenEndedIsReplacedByTheNextStart) {
    // a quits while b still holds the hooks; they stay a's until a ends.
    ProcessState a{}, b{}, c{};
    ASSERT_EQ(Init(a), 1);
    ASSERT_EQ(Init(b), 1);
    ASSERT_EQ(Kill(a), 1);
    EXPECT_EQ(Init(a), 1);  // still alive: counts in again, no second pair of hooks
    EXPECT_EQ(platform.installs.size(), 2u);
    ASSERT_EQ(Kill(a), 1);

    platform.EndHard(a);
    EXPECT_EQ(Init(c), 1);
    EXPECT_EQ(platform.installs.size(), 4u);
    EXPECT_EQ(platform.live.size(), 2u);
    EXPECT_EQ(block.installCount, 2);
}

TEST_F(HardEndTest, SlotLeftByAnEarlierMappingInThisProcessIsCountedOut) {
    // The library was unloaded without KillHooks and loaded again: fresh process state,
    // same process. It counts once, and its quit removes the hooks.
    ProcessState a{};
    ASSERT_EQ(Init(a), 1);
    a = ProcessState{};
    EXPECT_EQ(Init(a), 1);
    EXPECT_EQ(block.installCount, 1);
    EXPECT_EQ(platform.installs.size(), 2u);
    EXPECT_EQ(Kill(a), 1);
    EXPECT_TRUE(platform.live.empty());
}

TEST_F(HardEndTest, FullTableCountsEveryoneInAndStillNoticesWhatItCan) {
    std::array<ProcessState, HolderSlots + 1> p{};  // the last one finds no free slot
    for (ProcessState& process : p) EXPECT_EQ(Init(process), 1);
    EXPECT_EQ(block.installCount, static_cast<std::int32_t>(HolderSlots + 1));
    EXPECT_EQ(platform.installs.size(), 2u);

    // A slotted holder's end is noticed and its slot goes to the next start; the end of
    // the one without a slot goes unnoticed.
    platform.EndHard(p[1]);
    platform.EndHard(p[HolderSlots]);
    ProcessState late{};
    EXPECT_EQ(Init(late), 1);
    EXPECT_EQ(block.installCount, static_cast<std::int32_t>(HolderSlots + 1));
    EXPECT_EQ(block.holders[1], FakeHookPlatform::KeyOf(late));

    for (std::size_t i = 0; i < HolderSlots; ++i) {
        if (i != 1) {
            EXPECT_EQ(Kill(p[i]), 1);
        }
    }
    EXPECT_EQ(Kill(late), 1);
    EXPECT_EQ(block.installCount, 1);
    for (ProcessKey slot : block.holders) EXPECT_EQ(slot, 0u);

    // So the hooks stay, until their installer ends; the start after that installs again.
    EXPECT_EQ(platform.live.size(), 2u);
    platform.EndHard(p[0]);
    ProcessState next{};
    EXPECT_EQ(Init(next), 1);
    EXPECT_EQ(platform.installs.size(), 4u);
    EXPECT_EQ(platform.live.size(), 2u);
}

}  // namespace
}  // namespace tavrel::hooks
