// SPDX-License-Identifier: GPL-3.0-or-later
// Switching between the two sets and the save question, at a switch and at Quit.
#include <string>

#include "settings_fixture.h"

namespace tavrel::testing {
namespace {

// Start-up on "Good" (threshold 77 stored, "Painful" 55), then one unsaved edit.
class SwitchTest : public SettingsTest {
  protected:
    void SetUp() override {
        SeedSet("Good", 77);
        SeedSet("Painful", 55);
        StartUp();
        Leave(kThreshold, "90");
        ASSERT_EQ(settings->settingsDirty(), 1);
        store.writes.clear();
    }
    std::string ActiveSet() { return store.data.ReadString("Main", "Set", nullptr); }
    bool WroteTo(const std::string& section) {
        for (const FakeStore::Write& write : store.writes) {
            if (write.section == section) return true;
        }
        return false;
    }
};

TEST_F(SwitchTest, YesSavesTheEditsIntoTheOldSetThenLoadsTheNewOne) {
    ClickPainful(Answer::Yes);
    ASSERT_EQ(window->questions.size(), 1u);
    EXPECT_EQ(window->questions[0], kSavePrompt);
    EXPECT_EQ(Stored("Good", "Threshold"), 90);
    EXPECT_EQ(ActiveSet(), "Painful");
    EXPECT_EQ(Field(kThreshold), "55");
    EXPECT_EQ(model.threshold, 55.0f);
    EXPECT_TRUE(view->IsChecked(kPainful));
    EXPECT_EQ(settings->settingsDirty(), 0);
    // The edits went in before the new name.
    ASSERT_FALSE(store.writes.empty());
    EXPECT_EQ(store.writes.front().section, "Good");
    EXPECT_EQ(store.writes.back().key, "Set");
}

TEST_F(SwitchTest, NoDropsTheEditsAndLoadsTheNewSet) {
    ClickPainful(Answer::No);
    EXPECT_EQ(Stored("Good", "Threshold"), 77);
    EXPECT_FALSE(WroteTo("Good"));
    EXPECT_EQ(ActiveSet(), "Painful");
    EXPECT_EQ(Field(kThreshold), "55");
    EXPECT_EQ(settings->settingsDirty(), 0);
    EXPECT_TRUE(window->messages.empty());
}

TEST_F(SwitchTest, UnexpectedAnswerSaysSoAndActsAsNo) {
    ClickPainful(Answer::Other);
    ASSERT_EQ(window->messages.size(), 1u);
    EXPECT_EQ(window->messages[0], "Invalid return from dialog");
    EXPECT_EQ(Stored("Good", "Threshold"), 77);
    EXPECT_EQ(ActiveSet(), "Painful");
    EXPECT_EQ(settings->settingsDirty(), 0);
}

TEST_F(SwitchTest, CancelKeepsTheEditsAndTheCheckedButton) {
    ClickPainful(Answer::Cancel);
    EXPECT_TRUE(view->IsChecked(kNormal));
    EXPECT_FALSE(view->IsChecked(kPainful));
    EXPECT_EQ(ActiveSet(), "Good");
    EXPECT_TRUE(store.writes.empty());
    EXPECT_EQ(model.threshold, 90.0f);
    EXPECT_EQ(Field(kThreshold), "90");
    EXPECT_EQ(settings->settingsDirty(), 1);
    EXPECT_TRUE(view->saveEnabled);
}

TEST_F(SwitchTest, SameSetAnsweredNoBringsBackItsStoredValues) {
    ClickNormal(Answer::No);
    EXPECT_EQ(model.threshold, 77.0f);
    EXPECT_EQ(Field(kThreshold), "77");
    EXPECT_EQ(ActiveSet(), "Good");
    EXPECT_EQ(settings->settingsDirty(), 0);
}

TEST_F(SwitchTest, SameSetAnsweredYesKeepsTheEditsSaved) {
    ClickNormal(Answer::Yes);
    EXPECT_EQ(Stored("Good", "Threshold"), 90);
    EXPECT_EQ(Field(kThreshold), "90");
    EXPECT_EQ(settings->settingsDirty(), 0);
}

TEST_F(SwitchTest, SameSetAnsweredCancelLeavesEverything) {
    ClickNormal(Answer::Cancel);
    EXPECT_TRUE(view->IsChecked(kNormal));
    EXPECT_FALSE(view->IsChecked(kPainful));
    EXPECT_TRUE(store.writes.empty());
    EXPECT_EQ(model.threshold, 90.0f);
    EXPECT_EQ(settings->settingsDirty(), 1);
}

TEST_F(SwitchTest, SameSetWithoutEditsReloadsSilently) {
    Save();
    store.writes.clear();
    ASSERT_TRUE(store.data.WriteInt("Good", "Threshold", 60));
    ClickNormal();
    EXPECT_TRUE(window->questions.empty());
    EXPECT_EQ(Field(kThreshold), "60");
    ASSERT_EQ(store.writes.size(), 1u);
    EXPECT_EQ(store.writes[0].key, "Set");
    EXPECT_EQ(store.writes[0].value, "Good");
}

TEST_F(SwitchTest, BackAndForthWithoutEditsAsksNothing) {
    ClickPainful(Answer::No);
    ClickNormal();
    ClickPainful();
    EXPECT_EQ(window->questions.size(), 1u);
    EXPECT_EQ(ActiveSet(), "Painful");
    EXPECT_EQ(Field(kThreshold), "55");
}

TEST_F(SwitchTest, FailedSaveAtTheQuestionStopsTheSwitch) {
    store.FailAllWrites();
    ClickPainful(Answer::Yes);
    ASSERT_EQ(window->messages.size(), 1u);
    EXPECT_EQ(window->messages[0], "Can't write to INI file?");
    EXPECT_TRUE(view->IsChecked(kNormal));
    EXPECT_FALSE(view->IsChecked(kPainful));
    EXPECT_FALSE(WroteTo("Main")) << "the set name is not touched";
    EXPECT_EQ(ActiveSet(), "Good");
    EXPECT_EQ(model.threshold, 90.0f);
    EXPECT_EQ(Field(kThreshold), "90");
    EXPECT_EQ(settings->settingsDirty(), 1);

    // The same click once the store works again completes the switch with the edits saved.
    store.failWrite = nullptr;
    ClickPainful(Answer::Yes);
    EXPECT_EQ(Stored("Good", "Threshold"), 90);
    EXPECT_EQ(ActiveSet(), "Painful");
    EXPECT_EQ(window->messages.size(), 1u);
}

TEST_F(SwitchTest, QuitQuestionAnswers) {
    const struct {
        Answer answer;
        bool storeFails;
        std::int32_t result;
        std::int32_t dirtyAfter;
        std::int32_t storedThreshold;
        const char* message;
    } cases[] = {
        {Answer::Yes, false, 1, 0, 90, nullptr},
        {Answer::No, false, 1, 1, 77, nullptr},
        {Answer::Cancel, false, 0, 1, 77, nullptr},
        {Answer::Other, false, 1, 1, 77, "Invalid return from dialog"},
        {Answer::Yes, true, 0, 1, 77, "Can't write to INI file?"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.answer) * 2 + c.storeFails);
        store = FakeStore{};
        Restart();
        SetUp();
        if (c.storeFails) store.FailAllWrites();
        EXPECT_EQ(AskAtQuit(c.answer), c.result);
        EXPECT_EQ(window->questions.size(), 1u);
        EXPECT_EQ(settings->settingsDirty(), c.dirtyAfter);
        EXPECT_EQ(Stored("Good", "Threshold"), c.storedThreshold);
        if (c.message != nullptr) {
            ASSERT_EQ(window->messages.size(), 1u);
            EXPECT_EQ(window->messages[0], c.message);
        } else {
            EXPECT_TRUE(window->messages.empty());
        }
    }
}

TEST_F(SwitchTest, QuitWithoutEditsAsksNothing) {
    Save();
    EXPECT_EQ(settings->QuerySaveSettings(), 1);
    EXPECT_TRUE(window->questions.empty());
}

TEST_F(SwitchTest, StartUpWhoseSetNameWriteFailsLoadsTheStoredSetAndSaysSo) {
    store = FakeStore{};
    SeedSet("Good", 77);
    Restart();
    store.failWrite = [](const std::string& section, const std::string& key) {
        return section == "Main" && key == "Set";
    };
    StartUp();
    EXPECT_TRUE(view->IsChecked(kNormal));
    EXPECT_EQ(Field(kThreshold), "77");
    EXPECT_EQ(model.threshold, 77.0f);
    EXPECT_EQ(settings->settingsDirty(), 0);
    ASSERT_EQ(window->messages.size(), 1u);
    EXPECT_EQ(window->messages[0], "Can't write to INI file?");
}

TEST_F(SwitchTest, SwitchWhoseSetNameWriteFailsKeepsTheOldSetCheckedAndLoaded) {
    const struct {
        const char* name;
        Answer answer;
        std::int32_t storedGood;  // what Good holds afterwards
        std::int32_t dirty;
    } cases[] = {
        {"edits kept unsaved", Answer::No, 77, 1},
        {"edits saved first", Answer::Yes, 90, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        store = FakeStore{};
        Restart();
        SetUp();
        store.failWrite = [](const std::string& section, const std::string& key) {
            return section == "Main" && key == "Set";
        };
        ClickPainful(c.answer);
        EXPECT_TRUE(view->IsChecked(kNormal));
        EXPECT_FALSE(view->IsChecked(kPainful));
        EXPECT_EQ(ActiveSet(), "Good");
        EXPECT_EQ(model.threshold, 90.0f) << "the old set with its edits stays loaded";
        EXPECT_EQ(Field(kThreshold), "90");
        EXPECT_EQ(Stored("Good", "Threshold"), c.storedGood);
        EXPECT_EQ(settings->settingsDirty(), c.dirty);
        ASSERT_EQ(window->messages.size(), 1u);
        EXPECT_EQ(window->messages[0], "Can't write to INI file?");

        // Once the store works again the same click switches.
        store.failWrite = nullptr;
        if (c.dirty == 1) {
            ClickPainful(Answer::No);
        } else {
            ClickPainful();
        }
        EXPECT_EQ(ActiveSet(), "Painful");
        EXPECT_EQ(Field(kThreshold), "55");
    }
}

}  // namespace
}  // namespace tavrel::testing
