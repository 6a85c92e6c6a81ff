// The composition root end to end, over the shared fakes: what a shell gets from a few lines
// of wiring (the tick, the settings verbs, the totals and the history), with and without a
// place for the history.
#include "tavrel/tavrel_core.h"

#include <gtest/gtest.h>

#include <string>

#include "fake_history_files.h"
#include "tavrel/testing/fake_roles.h"

namespace tavrel::testing {
namespace {

class TavrelCoreTest : public ::testing::Test, public FakeRoles {
  protected:
    CoreRoles Roles(HistoryFiles* files) { return CoreRoles{FakeRoles::Roles(), files}; }
    void Run(TavrelCore& core, int ticks, int keysEach) {
        for (int i = 0; i < ticks; ++i) {
            source.pending.keys = keysEach;
            clock.Advance(50);
            core.controller().OnTimer();
        }
    }
    std::string AllHistory() const {
        std::string all;
        for (const auto& [month, text] : files.files) all += text;
        return all;
    }

    FakeHistoryFiles files;
};

TEST_F(TavrelCoreTest, OneRunKeepsItsSettingsTotalsAndMinutes) {
    {
        TavrelCore core(Roles(&files));
        EXPECT_TRUE(core.keepsHistory());
        core.controller().Start(1024);
        core.controller().OnFieldCommitted(SettingId::Threshold, "500");
        EXPECT_TRUE(view.saveEnabled);
        EXPECT_TRUE(core.controller().OnSave());
        EXPECT_FALSE(view.saveEnabled);
        Run(core, 1, 0);  // the first tick only reads the clock
        // Two minutes and a bit, one key every tick.
        Run(core, 2 * 1200 + 100, 1);
        EXPECT_TRUE(core.controller().OnQuit());
    }
    EXPECT_TRUE(window.closed);
    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(store.data.ReadInt("Good", "Threshold", -1), 500);
    EXPECT_EQ(store.data.ReadInt("Main", "TotalKeys", -1), 2 * 1200 + 100);
    // Every key of the run reached the history, the partial minute too.
    const std::string history = AllHistory();
    ASSERT_FALSE(history.empty());
    int keys = 0;
    std::size_t at = history.find('\n');  // past the header
    while (at != std::string::npos && at + 1 < history.size()) {
        const std::size_t comma = history.find(',', at + 1);
        keys += std::stoi(history.substr(comma + 1));
        at = history.find('\n', at + 1);
    }
    EXPECT_EQ(keys, 2 * 1200 + 100);
}

TEST_F(TavrelCoreTest, WithoutAPlaceForTheHistoryTheRestRunsAsUsual) {
    TavrelCore core(Roles(nullptr));
    EXPECT_FALSE(core.keepsHistory());
    core.controller().Start(1024);
    Run(core, 1, 0);
    Run(core, 200, 1);
    EXPECT_TRUE(core.controller().OnQuit());
    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(store.data.ReadInt("Main", "TotalKeys", -1), 200);
}

TEST_F(TavrelCoreTest, AHistoryThatCannotBeWrittenSharesTheOneFailureBox) {
    files.failing = true;
    store.FailAllWrites();
    TavrelCore core(Roles(&files));
    core.controller().Start(1024);
    int reports = 0;
    // While the first box waits, the ticks go on and fail again: no second box stacks on it.
    window.onMessage = [&] {
        if (++reports != 1) return;
        const int appendsBefore = files.appends;
        Run(core, 2400, 1);
        EXPECT_GT(files.appends, appendsBefore) << "the history went on trying";
        EXPECT_EQ(reports, 1) << "the first box held every other report silent";
    };
    Run(core, 1300, 1);
    EXPECT_GE(reports, 1);
}

}  // namespace
}  // namespace tavrel::testing
