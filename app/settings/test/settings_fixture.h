// SPDX-License-Identifier: GPL-3.0-or-later
// A main window's settings half over a recording store and a fake window, with the steps a
// user takes and the invariant that must hold after each of them.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tavrel/monitor_settings.h"
#include "tavrel/setting_fields.h"
#include "tavrel/testing/fake_main_window.h"
#include "tavrel/testing/fake_settings_view.h"
#include "tavrel/testing/recording_store.h"
#include "tavrel/pain_model.h"

namespace tavrel {
// Names a field by its key in test messages.
inline std::ostream& operator<<(std::ostream& os, SettingId id) {
    return os << FindSettingField(id).key;
}
}  // namespace tavrel

namespace tavrel::testing {

constexpr SettingId kThreshold = SettingId::Threshold;
constexpr SettingId kDecay = SettingId::Decay;
constexpr SettingId kBreakLimit = SettingId::BreakLimit;
constexpr SettingId kClickPain = SettingId::ClickPain;
constexpr SettingId kDoubleclickPain = SettingId::DoubleclickPain;
constexpr SettingId kKeyboardPain = SettingId::KeyboardPain;
constexpr SettingId kMovePain = SettingId::MovePain;
constexpr SettingId kDragPain = SettingId::DragPain;
constexpr SetButton kPainful = SetButton::Painful;
constexpr SetButton kNormal = SetButton::Normal;

constexpr SettingId kFieldIds[] = {kThreshold,       kDecay,        kBreakLimit, kClickPain,
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
        window = std::make_unique<FakeMainWindow>();
        notice = std::make_unique<FailureNotice>(*window);
        settings = std::make_unique<MonitorSettings>(*view, *window, *notice, store, model);
        expectedQuestions = 0;
    }

    void StartUp() {
        settings->SelectStoredSet();
        ExpectInvariant();
    }

    // Types a text into a field and leaves it: the window hands the text over as it goes.
    void Leave(SettingId field, const std::string& text) {
        view->fields[field] = text;
        settings->CommitSettingField(field, text.c_str());
        ExpectInvariant();
    }

    void ClickPainful(Answer answer) {
        window->answers.push_back(answer);
        ++expectedQuestions;
        settings->OnPainfulSet();
        ExpectInvariant();
    }
    void ClickNormal(Answer answer) {
        window->answers.push_back(answer);
        ++expectedQuestions;
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
        window->answers.push_back(answer);
        ++expectedQuestions;
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
        EXPECT_TRUE(window->answers.empty()) << "a question expected but not asked";
        EXPECT_LE(window->questions.size(), expectedQuestions) << "an unexpected question";
    }

    std::string Field(SettingId id) { return view->fields[id]; }
    std::int32_t Stored(const char* section, const char* key) {
        return store.data.ReadInt(section, key, -99999);
    }
    void SeedSet(const char* section, std::int32_t threshold) {
        ASSERT_TRUE(store.data.WriteInt(section, "Threshold", threshold));
    }

    FakeStore store;
    PainModel model{};
    std::unique_ptr<FakeSettingsView> view;
    std::unique_ptr<FakeMainWindow> window;
    std::unique_ptr<FailureNotice> notice;
    std::size_t expectedQuestions = 0;
    // Everything asked of the window: fields, buttons and boxes.
    int ViewCalls() const {
        return view->Calls() + static_cast<int>(window->messages.size() + window->questions.size());
    }
    std::unique_ptr<MonitorSettings> settings;

  private:
    void Click(void (MonitorSettings::*handler)()) {
        (settings.get()->*handler)();
        ExpectInvariant();
    }
};

}  // namespace tavrel::testing
