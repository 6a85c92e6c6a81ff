// SPDX-License-Identifier: GPL-3.0-or-later
// What the settings code needs from the window that shows the settings fields, the two set
// buttons and the Save button. The fields' texts come the other way, with each committed
// edit, so the view is never asked what a field holds.
#pragma once

#include <cstdint>

#include "tavrel/setting_fields.h"

namespace tavrel {

// The two radio buttons: "&Normal" stands for the set "Good", "&Painful" for "Painful".
enum class SetButton : int { Normal, Painful };

class SettingsView {
  public:
    // Replaces the field's text by the value written as a signed decimal number.
    virtual void SetFieldInt(SettingId field, std::int32_t value) = 0;
    virtual void SetSetChecked(SetButton button, bool checked) = 0;
    // Enables or disables the Save button and has it repainted at once.
    virtual void SetSaveEnabled(bool enabled) = 0;

  protected:
    ~SettingsView() = default;
};

}  // namespace tavrel
