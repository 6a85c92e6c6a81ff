// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/monitor_settings.h"

#include <cstring>
#include <vector>

#include "tavrel/setting_fields.h"

namespace tavrel {

namespace {

constexpr char kMainSection[] = "Main";
constexpr char kSetKey[] = "Set";
constexpr char kDistanceKey[] = "Distance";
constexpr char kNormalSet[] = "Good";
constexpr char kPainfulSet[] = "Painful";

constexpr char kSavePrompt[] = "Settings have changed since last save.  Save Data?";
constexpr char kInvalidAnswer[] = "Invalid return from dialog";

// Longer texts never read as a number, however they are padded: a field has always been read
// through a buffer of 256 bytes, and a text that filled it could not be taken whole.
constexpr std::size_t kLongestFieldText = 254;

}  // namespace

MonitorSettings::MonitorSettings(SettingsView& view, MessageBoxes& boxes, FailureNotice& notice,
                                 SettingsStore& store, PainModel& model)
    : view_(view), boxes_(boxes), notice_(notice), store_(store), model_(model) {}

void MonitorSettings::LoadSettingsSet(const std::string& section) {
    std::int32_t values[kSettingCount];
    for (int i = 0; i < kSettingCount; ++i) {
        const SettingField& field = kSettingFields[i];
        values[i] = store_.ReadInt(section.c_str(), field.key, field.defaultValue);
    }
    for (int i = 0; i < kSettingCount; ++i) LoadSetting(model_, kSettingFields[i], values[i]);
    // The fields show the model, so that they say what the model really holds.
    for (const SettingField& field : kSettingFields) {
        view_.SetFieldInt(field.id, SettingIntegerForm(model_, field));
    }
}

bool MonitorSettings::SaveSettings() {
    const std::string set = store_.ReadString(kMainSection, kSetKey, kNormalSet);
    // One batch, so that the set is saved whole or not at all.
    std::vector<StoreValue> values;
    values.reserve(kSettingCount + 1);
    values.push_back(StoreValue::Int(set, kDistanceKey, model_.totalDistance));
    for (const SettingField& field : kSettingFields) {
        values.push_back(StoreValue::Int(set, field.key, SettingIntegerForm(model_, field)));
    }
    if (!store_.WriteBatch(values)) {
        notice_.Report();
        // The store still holds the set as it was: the edits remain unsaved.
        MarkSettingsDirty();
        return false;
    }
    ClearSettingsDirty();
    return true;
}

void MonitorSettings::MarkSettingsDirty() {
    settingsDirty_ = 1;
    view_.SetSaveEnabled(true);
}

void MonitorSettings::ClearSettingsDirty() {
    settingsDirty_ = 0;
    view_.SetSaveEnabled(false);
}

std::int32_t MonitorSettings::QuerySaveSettings() {
    if (settingsDirty_ == 0) return 1;
    switch (boxes_.AskYesNoCancel(kSavePrompt)) {
        case Answer::Yes:
            // A save that failed must not let the caller drop the edits.
            return SaveSettings() ? 1 : 0;
        case Answer::No:
            return 1;
        case Answer::Cancel:
            return 0;
        case Answer::Other:
            break;
    }
    boxes_.ShowMessage(kInvalidAnswer);
    return 1;
}

void MonitorSettings::OnPainfulSet() {
    SwitchSet(kPainfulSet, SetButton::Painful, SetButton::Normal);
}

void MonitorSettings::OnNormalSet() {
    SwitchSet(kNormalSet, SetButton::Normal, SetButton::Painful);
}

void MonitorSettings::SwitchSet(const char* set, SetButton button, SetButton otherButton) {
    const bool wasChecked = CheckState(button);
    const bool otherWasChecked = CheckState(otherButton);
    const bool startingUp = !wasChecked && !otherWasChecked;
    SetChecked(otherButton, false);
    SetChecked(button, true);
    if (QuerySaveSettings() == 0) {
        SetChecked(otherButton, otherWasChecked);
        SetChecked(button, wasChecked);
        return;
    }
    if (!store_.WriteString(kMainSection, kSetKey, set)) {
        notice_.Report();
        if (!startingUp) {
            // The store still names the old set: it stays checked and loaded, as the next
            // start would show it.
            SetChecked(otherButton, otherWasChecked);
            SetChecked(button, wasChecked);
            return;
        }
        // At start-up no set is loaded yet; the one asked for is the one the store names.
        LoadSettingsSet(set);
        ClearSettingsDirty();
        return;
    }
    // Load the set that the store now names, as the next start would.
    LoadSettingsSet(store_.ReadString(kMainSection, kSetKey, nullptr));
    ClearSettingsDirty();
}

void MonitorSettings::SelectStoredSet() {
    if (store_.ReadString(kMainSection, kSetKey, kNormalSet) == kNormalSet) {
        OnNormalSet();
    } else {
        OnPainfulSet();
    }
}

void MonitorSettings::CommitSettingField(SettingId id, const char* text) {
    const SettingField* field = &FindSettingField(id);
    std::uint32_t number = 0;
    const bool fits = text != nullptr && std::strlen(text) <= kLongestFieldText;
    if (!fits || !ParseUnsignedDecimal(text, number)) {
        view_.SetFieldInt(id, SettingIntegerForm(model_, *field));
        return;
    }
    // The 32 bits as a signed integer: 4294967295 is -1. Done arithmetically, so that it
    // does not depend on how the compiler converts out-of-range values.
    const std::int32_t value = number <= 0x7FFFFFFFu
                                   ? static_cast<std::int32_t>(number)
                                   : -static_cast<std::int32_t>(0xFFFFFFFFu - number) - 1;
    if (value != SettingIntegerForm(model_, *field)) MarkSettingsDirty();
    // Stored even when equal: 007 for 7 leaves the model as it is and the text as typed.
    LoadSetting(model_, *field, value);
}

void MonitorSettings::OnReset() {
    model_.ResetPain();
}

void MonitorSettings::SetChecked(SetButton button, bool checked) {
    CheckState(button) = checked;
    view_.SetSetChecked(button, checked);
}

bool& MonitorSettings::CheckState(SetButton button) {
    return button == SetButton::Painful ? painfulChecked_ : normalChecked_;
}

}  // namespace tavrel
