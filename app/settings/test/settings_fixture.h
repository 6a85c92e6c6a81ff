// A main window's settings half over a recording store and a fake window, with the steps a
// user takes and the invariant that must hold after each of them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fake_settings_view.h"
#include "fake_store.h"
#include "tavrel/monitor_settings.h"
#include "tavrel/pain_model.h"

namespace tavrel::testing {

constexpr int kThreshold = 1011;
constexpr int kDecay = 1013;
constexpr int kBreakLimit = 1015;
constexpr int kClickPain = 1017;
constexpr int kDoubleclickPain = 1018;
constexpr int kKeyboardPain = 1019;
constexpr int kMovePain = 1020;
constexpr int kDragPain = 1021;
constexpr int kPainful = 1022;
constexpr int kNormal = 1023;

constexpr int kFieldIds[] = {kThreshold,       kDecay,        kBreakLimit, kClickPain,
                             kDoubleclickPain, kKeyboardPain, kMovePain,   kDragPain};

constexpr char kSavePrompt[] = "Settings have changed since last save.  Save Data?";

// The keys of one set, in the order in which Save writes them after "Distance".
inline const std::vector<std::string>& SetKeys() {
    static const std::vector<std::string> keys = {"Threshold", "Decay",           "KeyboardPain",
                                                  "ClickPain", "DoubleclickPain", "MovePain",
                                                  "DragPain",  "BreakLimit"};
    return keys;
}

class SettingsTest : public ::testing::Test {
  protected:
    SettingsTest() { Restart(); }

    // A new run over the same store: a new model, window and settings object.
    void Restart() {
        model = PainModel{};
        model.totalDistance = 123456;
        model.totalKeys = 789;
        model.screenWidth = 1024.0f;
        model.pain = 42.5f;
        view = std::make_unique<FakeSettingsView>();
        settings = std::make_unique<MonitorSettings>(*view, store, model);
    }

    void StartUp() {
        settings->SelectStoredSet();
        ExpectInvariant();
    }

    // Types a text into a field and leaves it.
    void Leave(int field, const std::string& text) {
        view->fields[field] = text;
        settings->CommitSettingField(field);
        ExpectInvariant();
    }

    void ClickPainful(Answer answer) {
        view->answers.push_back(answer);
        settings->OnPainfulSet();
        ExpectInvariant();
    }
    void ClickNormal(Answer answer) {
        view->answers.push_back(answer);
        settings->OnNormalSet();
        ExpectInvariant();
    }
    void ClickPainful() { Click(&MonitorSettings::OnPainfulSet); }
    void ClickNormal() { Click(&MonitorSettings::OnNormalSet); }

    bool Save() {
        const bool saved = settings->SaveSettings();
        ExpectInvariant();
        return saved;
    }

    std::int32_t AskAtQuit(Answer answer) {
        view->answers.push_back(answer);
        const std::int32_t result = settings->QuerySaveSettings();
        ExpectInvariant();
        return result;
    }

    // Save enabled exactly while there are unsaved edits; exactly one set button checked,
    // the one of the set the store names.
    void ExpectInvariant() {
        EXPECT_EQ(view->saveEnabled, settings->settingsDirty() == 1);
        EXPECT_TRUE(settings->settingsDirty() == 0 || settings->settingsDirty() == 1);
        EXPECT_NE(view->IsChecked(kPainful), view->IsChecked(kNormal));
        const bool normal = store.data.ReadString("Main", "Set", "Good") == "Good";
        EXPECT_EQ(view->IsChecked(kNormal), normal);
        EXPECT_TRUE(view->answers.empty()) << "a question expected but not asked";
    }

    std::string Field(int id) { return view->fields[id]; }
    std::int32_t Stored(const char* section, const char* key) {
        return store.data.ReadInt(section, key, -99999);
    }
    void SeedSet(const char* section, std::int32_t threshold) {
        ASSERT_TRUE(store.data.WriteInt(section, "Threshold", threshold));
    }

    FakeStore store;
    PainModel model{};
    std::unique_ptr<FakeSettingsView> view;
    std::unique_ptr<MonitorSettings> settings;

  private:
    void Click(void (MonitorSettings::*handler)()) {
        (settings.get()->*handler)();
        ExpectInvariant();
    }
};

}  // namespace tavrel::testing
