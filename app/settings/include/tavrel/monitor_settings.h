// SPDX-License-Identifier: GPL-3.0-or-later
// The settings half of the main window: loading a settings set into the pain model and the
// settings fields, taking edits, tracking unsaved edits, saving, switching sets, and RESET.
#pragma once

#include <cstdint>
#include <string>

#include "tavrel/failure_notice.h"
#include "tavrel/main_window.h"
#include "tavrel/pain_model.h"
#include "tavrel/settings_store.h"
#include "tavrel/settings_view.h"

namespace tavrel {

class MonitorSettings {
  public:
    MonitorSettings(SettingsView& view, MessageBoxes& boxes, FailureNotice& notice,
                    SettingsStore& store, PainModel& model);

    // Reads every setting of a section into the model and shows them in the fields.
    void LoadSettingsSet(const std::string& section);
    // Writes the totals' distance and every setting into the active set. False, after
    // telling the user once, when any write failed; the edits then stay unsaved.
    bool SaveSettings();
    void MarkSettingsDirty();
    void ClearSettingsDirty();
    // Asks whether to save unsaved edits: 1 to carry on, 0 to abandon the operation that
    // asked (Cancel, or a save that failed).
    std::int32_t QuerySaveSettings();
    void OnPainfulSet();
    void OnNormalSet();
    // Takes the text of a field that has just lost the focus into the model; a null text
    // reads as no number.
    void CommitSettingField(SettingId field, const char* text);
    void OnReset();
    // At start-up, with no unsaved edits: selects the set that the store names as active.
    void SelectStoredSet();

    std::int32_t settingsDirty() const { return settingsDirty_; }

  private:
    void SwitchSet(const char* set, SetButton button, SetButton otherButton);
    void SetChecked(SetButton button, bool checked);
    bool& CheckState(SetButton button);

    SettingsView& view_;
    MessageBoxes& boxes_;
    FailureNotice& notice_;
    SettingsStore& store_;
    PainModel& model_;
    std::int32_t settingsDirty_ = 0;
    // The radio buttons never change their own state, so these mirror what they show.
    bool painfulChecked_ = false;
    bool normalChecked_ = false;
};

}  // namespace tavrel
