// What the settings code needs from the window that shows the eight fields, the two set
// buttons, the Save button and the message boxes.
#pragma once

#include <cstdint>

namespace tavrel {

// Reads a field's text as an unsigned decimal number, as the dialog manager's unsigned
// integer reading does: leading blanks (space, tab, CR, LF, VT, FF) are skipped, then one or
// more decimal digits and nothing else must follow, and the value must not exceed 4294967295.
// False, with value untouched, for anything else, a null text included.
bool ParseUnsignedDecimal(const char* text, std::uint32_t& value);

enum class Answer { Yes, No, Cancel, Other };

class SettingsView {
  public:
    // Copies the field's text into buffer, cut to size - 1 characters and terminated.
    virtual void GetFieldText(int controlId, char* buffer, int size) = 0;
    // Replaces the field's text by the value written as a signed decimal number.
    virtual void SetFieldInt(int controlId, std::int32_t value) = 0;
    virtual void SetRadioChecked(int controlId, bool checked) = 0;
    // Enables or disables the Save button and has it repainted at once.
    virtual void SetSaveEnabled(bool enabled) = 0;
    // A modal question with the buttons Yes, No and Cancel.
    virtual Answer AskYesNoCancel(const char* text) = 0;
    // A modal notice with an OK button.
    virtual void ShowMessage(const char* text) = 0;

  protected:
    ~SettingsView() = default;
};

}  // namespace tavrel
