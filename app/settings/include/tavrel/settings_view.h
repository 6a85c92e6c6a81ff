// What the settings code needs from the window that shows the eight fields, the two set
// buttons and the Save button.
#pragma once

#include <cstdint>

namespace tavrel {

// Reads a field's text as an unsigned decimal number, as the dialog manager's unsigned
// integer reading does: leading blanks (space, tab, CR, LF, VT, FF) are skipped, then one or
// more decimal digits and nothing else must follow, and the value must not exceed 4294967295.
// False, with value untouched, for anything else, a null text included.
bool ParseUnsignedDecimal(const char* text, std::uint32_t& value);

// The eight settings fields.
enum class SettingId : int {
    Threshold,
    Decay,  // in tenths
    BreakLimit,
    ClickPain,
    DoubleclickPain,
    KeyboardPain,
    MovePain,
    DragPain,
};

// The two radio buttons: "&Normal" stands for the set "Good", "&Painful" for "Painful".
enum class SetButton : int { Normal, Painful };

class SettingsView {
  public:
    // Copies the field's text into buffer, cut to size - 1 characters and terminated.
    virtual void GetFieldText(SettingId field, char* buffer, int size) = 0;
    // Replaces the field's text by the value written as a signed decimal number.
    virtual void SetFieldInt(SettingId field, std::int32_t value) = 0;
    virtual void SetSetChecked(SetButton button, bool checked) = 0;
    // Enables or disables the Save button and has it repainted at once.
    virtual void SetSaveEnabled(bool enabled) = 0;

  protected:
    ~SettingsView() = default;
};

}  // namespace tavrel
