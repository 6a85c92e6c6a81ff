// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up's choice of set, loading a set, Save and RESET.
#include <string>
#include <vector>

#include "settings_fixture.h"

namespace tavrel::testing {
namespace {

using LoadSaveTest = SettingsTest;

TEST_F(LoadSaveTest, EmptyStoreGivesTheDefaultsAndWritesOnlyTheSetName) {
    StartUp();
    EXPECT_EQ(Field(kThreshold), "100");
    EXPECT_EQ(Field(kDecay), "100");
    EXPECT_EQ(Field(kBreakLimit), "100");
    for (const SettingId id : {kClickPain, kDoubleclickPain, kKeyboardPain, kMovePain, kDragPain}) {
        EXPECT_EQ(Field(id), "10") << id;
    }
    EXPECT_EQ(model.threshold, 100.0f);
    EXPECT_EQ(model.decay, 10.0f);
    EXPECT_EQ(model.breakLimit, 100);
    for (const float weight : {model.clickPain, model.doubleclickPain, model.keyboardPain,
                               model.movePain, model.dragPain}) {
        EXPECT_EQ(weight, 10.0f);
    }
    ASSERT_EQ(store.writes.size(), 1u);
    EXPECT_EQ(store.writes[0].section, "Main");
    EXPECT_EQ(store.writes[0].key, "Set");
    EXPECT_EQ(store.writes[0].value, "Good");
    EXPECT_TRUE(view->IsChecked(kNormal));
    EXPECT_FALSE(view->saveEnabled);
    EXPECT_TRUE(window->questions.empty());
}

TEST_F(LoadSaveTest, LoadWritesTheFieldsFromTheModelInWindowOrder) {
    StartUp();
    const std::vector<SettingId> order = {kThreshold,       kDecay,    kKeyboardPain, kClickPain,
                                          kDoubleclickPain, kMovePain, kDragPain,     kBreakLimit};
    ASSERT_EQ(view->fieldWrites.size(), order.size());
    for (std::size_t i = 0; i < order.size(); ++i) EXPECT_EQ(view->fieldWrites[i].first, order[i]);
}

TEST_F(LoadSaveTest, StoredSetIsLoadedIntoModelAndFields) {
    const struct {
        const char* key;
        std::int32_t value;
        SettingId field;
    } stored[] = {{"Threshold", 250, kThreshold},
                  {"Decay", 7, kDecay},
                  {"KeyboardPain", 3, kKeyboardPain},
                  {"ClickPain", 0, kClickPain},
                  {"DoubleclickPain", 12, kDoubleclickPain},
                  {"MovePain", 1, kMovePain},
                  {"DragPain", 2, kDragPain},
                  {"BreakLimit", -1, kBreakLimit}};
    for (const auto& s : stored) ASSERT_TRUE(store.data.WriteInt("Painful", s.key, s.value));
    ASSERT_TRUE(store.data.WriteString("Main", "Set", "Painful"));
    StartUp();
    for (const auto& s : stored) EXPECT_EQ(Field(s.field), std::to_string(s.value)) << s.key;
    EXPECT_EQ(model.threshold, 250.0f);
    EXPECT_EQ(model.decay, 0.7f);
    EXPECT_EQ(model.keyboardPain, 3.0f);
    EXPECT_EQ(model.clickPain, 0.0f);
    EXPECT_EQ(model.doubleclickPain, 12.0f);
    EXPECT_EQ(model.movePain, 1.0f);
    EXPECT_EQ(model.dragPain, 2.0f);
    EXPECT_EQ(model.breakLimit, -1);
    // Loading leaves the pain, the totals and the screen width alone.
    EXPECT_EQ(model.pain, 42.5f);
    EXPECT_EQ(model.totalDistance, 123456);
    EXPECT_EQ(model.totalKeys, 789);
    EXPECT_EQ(model.screenWidth, 1024.0f);
}

TEST_F(LoadSaveTest, AnyStoredNameButGoodSelectsPainfulAndIsRewritten) {
    for (const char* name : {"good", "GOOD", "Good ", " Good", "Painful", "", "Other"}) {
        SCOPED_TRACE(std::string("stored name: \"") + name + "\"");
        store = FakeStore{};
        ASSERT_TRUE(store.data.WriteString("Main", "Set", name));
        SeedSet("Painful", 55);
        SeedSet("Good", 77);
        Restart();
        StartUp();
        EXPECT_TRUE(view->IsChecked(kPainful));
        EXPECT_EQ(store.data.ReadString("Main", "Set", nullptr), "Painful");
        EXPECT_EQ(model.threshold, 55.0f);
        EXPECT_EQ(Field(kThreshold), "55");
    }
}

TEST_F(LoadSaveTest, StoredGoodSelectsNormal) {
    ASSERT_TRUE(store.data.WriteString("Main", "Set", "Good"));
    SeedSet("Good", 77);
    SeedSet("Painful", 55);
    StartUp();
    EXPECT_TRUE(view->IsChecked(kNormal));
    EXPECT_EQ(Field(kThreshold), "77");
}

TEST_F(LoadSaveTest, DecayOfSevenTenthsSurvivesSaveAndRestart) {
    StartUp();
    Leave(kDecay, "7");
    EXPECT_EQ(model.decay, 0.7f);
    EXPECT_TRUE(Save());
    EXPECT_EQ(Stored("Good", "Decay"), 7);
    EXPECT_EQ(model.decay, 0.7f);

    Restart();
    StartUp();
    EXPECT_EQ(Field(kDecay), "7");
    EXPECT_EQ(model.decay, 0.7f);
}

TEST_F(LoadSaveTest, TypedNumbersComeBackAfterSaveAndRestart) {
    const struct {
        SettingId field;
        const char* key;
        const char* typed;
        const char* shown;
    } cases[] = {
        {kDecay, "Decay", "1", "1"},
        {kDecay, "Decay", "0", "0"},
        {kDecay, "Decay", "8388608", "8388608"},
        {kDecay, "Decay", "4294967295", "-1"},
        {kThreshold, "Threshold", "16777216", "16777216"},
        {kMovePain, "MovePain", "4294967295", "-1"},
        {kBreakLimit, "BreakLimit", "2147483648", "-2147483648"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " typed " + c.typed);
        store = FakeStore{};
        Restart();
        StartUp();
        Leave(c.field, c.typed);
        EXPECT_TRUE(Save());
        EXPECT_EQ(std::to_string(Stored("Good", c.key)), c.shown);
        Restart();
        StartUp();
        EXPECT_EQ(Field(c.field), c.shown);
    }
}

TEST_F(LoadSaveTest, SaveWritesDistanceAndTheEightKeysIntoTheActiveSetOnly) {
    ASSERT_TRUE(store.data.WriteString("Main", "Set", "Painful"));
    StartUp();
    Leave(kThreshold, "300");
    Leave(kDecay, "5");
    store.writes.clear();
    EXPECT_TRUE(Save());

    ASSERT_EQ(store.writes.size(), 9u);
    ASSERT_EQ(store.batches.size(), 1u) << "one batch: the set lands whole or not at all";
    for (const FakeStore::Write& write : store.writes) EXPECT_EQ(write.batch, 0) << write.key;
    EXPECT_EQ(store.writes[0].key, "Distance");
    EXPECT_EQ(store.writes[0].value, "123456");
    for (std::size_t i = 0; i < SetKeys().size(); ++i) {
        EXPECT_EQ(store.writes[i + 1].key, SetKeys()[i]);
    }
    for (const FakeStore::Write& write : store.writes) {
        EXPECT_EQ(write.section, "Painful") << write.key;
        EXPECT_FALSE(write.isText);
    }
    EXPECT_EQ(Stored("Painful", "Threshold"), 300);
    EXPECT_EQ(Stored("Painful", "Decay"), 5);
    EXPECT_EQ(Stored("Painful", "BreakLimit"), 100);
    EXPECT_EQ(Stored("Good", "Threshold"), -99999);
    EXPECT_EQ(settings->settingsDirty(), 0);
}

TEST_F(LoadSaveTest, SaveGoesWhereTheStoreNamesTheActiveSet) {
    StartUp();
    Leave(kClickPain, "4");
    // The set buttons still show "Good": Save follows the store, not the buttons.
    ASSERT_TRUE(store.data.WriteString("Main", "Set", "Painful"));
    EXPECT_TRUE(settings->SaveSettings());
    EXPECT_EQ(Stored("Painful", "ClickPain"), 4);
    EXPECT_EQ(Stored("Good", "ClickPain"), -99999);
}

TEST_F(LoadSaveTest, SaveWithNoSetNameStoredGoesToGood) {
    settings->LoadSettingsSet("Painful");
    EXPECT_TRUE(settings->SaveSettings());
    EXPECT_EQ(Stored("Good", "Threshold"), 100);
    EXPECT_EQ(Stored("Painful", "Threshold"), -99999);
    EXPECT_EQ(store.data.ReadString("Main", "Set", nullptr), "");
}

TEST_F(LoadSaveTest, FailedSaveSaysSoOnceAndKeepsTheEditsUnsaved) {
    const struct {
        const char* name;
        std::vector<std::string> failingKeys;  // empty: every write fails
    } cases[] = {
        {"every write", {}},
        {"the distance", {"Distance"}},
        {"one setting", {"Decay"}},
        {"the last setting", {"BreakLimit"}},
        {"two settings", {"Threshold", "DragPain"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        store = FakeStore{};
        Restart();
        StartUp();
        Leave(kDecay, "7");
        Leave(kThreshold, "150");
        const std::vector<std::string> failing = c.failingKeys;
        store.failWrite = [failing](const std::string&, const std::string& key) {
            if (failing.empty()) return true;
            for (const std::string& f : failing) {
                if (f == key) return true;
            }
            return false;
        };
        store.writes.clear();
        EXPECT_FALSE(Save());
        EXPECT_EQ(store.writes.size(), 9u) << "every value is offered";
        // Nothing of the set is stored: no half-saved set.
        EXPECT_EQ(Stored("Good", "Distance"), -99999);
        EXPECT_EQ(Stored("Good", "Decay"), -99999);
        EXPECT_EQ(Stored("Good", "Threshold"), -99999);
        ASSERT_EQ(window->messages.size(), 1u);
        EXPECT_EQ(window->messages[0], "Can't write to INI file?");
        EXPECT_EQ(settings->settingsDirty(), 1);
        EXPECT_TRUE(view->saveEnabled);

        // Quit still asks; once the store works again the same edits save.
        store.failWrite = nullptr;
        EXPECT_EQ(AskAtQuit(Answer::Yes), 1);
        EXPECT_EQ(window->questions.size(), 1u);
        EXPECT_EQ(window->messages.size(), 1u);
        EXPECT_EQ(settings->settingsDirty(), 0);
        EXPECT_EQ(Stored("Good", "Decay"), 7);
        EXPECT_EQ(Stored("Good", "Threshold"), 150);
    }
}

TEST_F(LoadSaveTest, FailedSaveWithoutEditsStillLeavesSaveEnabled) {
    StartUp();
    store.FailAllWrites();
    EXPECT_FALSE(Save());
    EXPECT_EQ(window->messages.size(), 1u);
    EXPECT_EQ(settings->settingsDirty(), 1);
}

TEST_F(LoadSaveTest, ResetClearsThePainAndNothingElse) {
    for (const bool edited : {false, true}) {
        SCOPED_TRACE(edited ? "with unsaved edits" : "without edits");
        store = FakeStore{};
        Restart();
        StartUp();
        if (edited) Leave(kMovePain, "3");
        const PainModel before = model;
        const int reads = store.reads;
        const std::size_t writes = store.writes.size();
        const int viewCalls = ViewCalls();
        const auto fields = view->fields;

        settings->OnReset();
        ExpectInvariant();

        EXPECT_EQ(model.pain, 0.0f);
        EXPECT_EQ(model.totalDistance, before.totalDistance);
        EXPECT_EQ(model.totalKeys, before.totalKeys);
        EXPECT_EQ(model.movePain, before.movePain);
        EXPECT_EQ(model.threshold, before.threshold);
        EXPECT_EQ(model.decay, before.decay);
        EXPECT_EQ(settings->settingsDirty(), edited ? 1 : 0);
        EXPECT_EQ(store.reads, reads);
        EXPECT_EQ(store.writes.size(), writes);
        EXPECT_EQ(ViewCalls(), viewCalls);
        EXPECT_EQ(view->fields, fields);
    }
}

}  // namespace
}  // namespace tavrel::testing
