// SPDX-License-Identifier: GPL-3.0-or-later
// The composition root end to end, over the shared fakes: what a shell gets from a few lines
// of wiring (the tick, the settings verbs, the totals and the history), with and without a
// place for the history.
#include "tavrel/tavrel_core.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "fake_history_files.h"
#include "within.h"
#include "tavrel/directory_history_files.h"
#include "tavrel/shared_history_folder.h"
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

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST_F(TavrelCoreTest, TheHistoryGoesToTheSharedFolderToldOnceWhileItCannot) {
    const fs::path root = fs::temp_directory_path() / "tavrel-core-shared";
    fs::remove_all(root);
    const fs::path local = root / "history", shared = root / "Sync";
    DirectoryHistoryFiles localFiles(local);
    store.data.WriteString("Main", "SharedFolder", shared.u8string().c_str());
    store.data.WriteString("Main", "ComputerName", "  desk \n");
    const auto told = [this] {
        return std::count_if(window.messages.begin(), window.messages.end(), [](const auto& m) {
            return m.rfind("Can't write the usage history to the shared folder", 0) == 0;
        });
    };
    std::string id;
    {
        TavrelCore core(CoreRoles{FakeRoles::Roles(), &localFiles, local, "host"});
        SharedHistory& sharing = *core.sharedHistory();
        core.controller().Start(1024);
        Run(core, 1, 0);
        Run(core, 1300, 1);  // a minute written, with the shared folder not there
        ASSERT_TRUE(Within([&] { return sharing.state() == SharedFolderState::Missing; }));
        Run(core, 2, 0);
        EXPECT_EQ(told(), 1);
        EXPECT_EQ(window.messages.back(),
                  "Can't write the usage history to the shared folder " + shared.u8string() +
                      ": the folder is not there. Tavrel keeps it on this computer and copies it "
                      "there once the folder can be written again.");
        Run(core, 1300, 1);
        EXPECT_EQ(told(), 1) << "once, while it lasts";

        fs::create_directories(shared);
        Run(core, 1200, 1);  // the next minute takes those before with it
        ASSERT_TRUE(Within([&] { return sharing.state() == SharedFolderState::Ok; }));
        id = store.data.ReadString("Main", "ComputerId", "");
        ASSERT_TRUE(IsComputerId(id)) << id;
        EXPECT_EQ(sharing.Places().ownId, id);
        EXPECT_EQ(Slurp(shared / id / kComputerNameFile), "desk\n");
        Run(core, 600, 1);
        EXPECT_TRUE(core.controller().OnQuit());
    }
    // The minute open at Quit reached the shared folder before the program ended.
    EXPECT_EQ(Slurp(shared / id / "2024-06.csv"), Slurp(local / "2024-06.csv"));
    int keys = 0;
    std::istringstream lines(Slurp(shared / id / "2024-06.csv"));
    std::string line;
    std::getline(lines, line);  // the header
    while (std::getline(lines, line)) keys += std::stoi(line.substr(23));
    EXPECT_EQ(keys, 1300 + 1300 + 1200 + 600);
    EXPECT_EQ(told(), 1);
    fs::remove_all(root);
}

class ScriptedChooser final : public FolderChooser {
  public:
    fs::path answer;  // empty: cancelled
    std::vector<fs::path> starts;
    bool ChooseFolder(const fs::path& start, fs::path& chosen) override {
        starts.push_back(start);
        chosen = answer;
        return !answer.empty();
    }
};

TEST_F(TavrelCoreTest, ShareHistoryChoosesAnotherFolderStopsOrLeavesItAsItIs) {
    const fs::path local = fs::temp_directory_path() / "tavrel-core-choose" / "history";
    const fs::path a = local.parent_path() / "A", b = local.parent_path() / "B";
    struct Case {
        const char* what;
        fs::path before;  // shared at the start
        std::vector<Answer> answers;
        fs::path chosen;  // what the chooser gives; empty: cancelled
        bool storeFails;
        fs::path after;    // shared at the end
        const char* told;  // the start of the last box; null: none
    };
    const Case cases[] = {
        {"nothing shared: chosen", {}, {}, a, false, a, "Tavrel now keeps a copy"},
        {"nothing shared: cancelled", {}, {}, {}, false, {}, nullptr},
        {"shared: another folder", a, {Answer::Yes}, b, false, b, "Tavrel now keeps a copy"},
        {"shared: another, cancelled", a, {Answer::Yes}, {}, false, a, nullptr},
        {"shared: stopped", a, {Answer::No}, b, false, {}, "Tavrel no longer copies"},
        {"shared: left", a, {Answer::Cancel}, b, false, a, nullptr},
        {"the store refuses", {}, {}, a, true, {}, "Can't write to INI file?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeRoles roles;
        roles.store.data.WriteString("Main", "SharedFolder", c.before.u8string().c_str());
        if (c.storeFails) roles.store.FailAllWrites();
        roles.window.answers.assign(c.answers.begin(), c.answers.end());
        FailureNotice notice(roles.window);
        SharedHistory sharing(roles.store, notice, local, "host", nullptr, nullptr);
        ScriptedChooser chooser;
        chooser.answer = c.chosen;
        sharing.ChooseFolder(chooser, roles.window);
        EXPECT_EQ(sharing.folder(), c.after);
        EXPECT_EQ(roles.store.data.ReadString("Main", "SharedFolder", ""),
                  c.storeFails ? "" : c.after.u8string());
        EXPECT_EQ(roles.window.questions.size(), c.answers.size());
        if (c.told == nullptr) {
            EXPECT_TRUE(roles.window.messages.empty());
        } else {
            ASSERT_EQ(roles.window.messages.size(), 1u);
            EXPECT_EQ(roles.window.messages[0].rfind(c.told, 0), 0u) << roles.window.messages[0];
        }
        if (!chooser.starts.empty()) {
            EXPECT_EQ(chooser.starts[0], c.before.empty() ? local.parent_path() : c.before)
                << "the chooser opens where the folder is";
        }
    }
    fs::remove_all(local.parent_path());
}

}  // namespace
}  // namespace tavrel::testing
