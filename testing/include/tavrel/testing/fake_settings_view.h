// SPDX-License-Identifier: GPL-3.0-or-later
// The settings part of a window in memory: fields, set buttons and the Save button.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tavrel/settings_view.h"

namespace tavrel::testing {

class FakeSettingsView final : public SettingsView {
  public:
    std::map<SettingId, std::string> fields;
    std::map<SetButton, bool> checked;
    bool saveEnabled = true;  // as in the dialog template
    std::vector<std::pair<SettingId, std::int32_t>> fieldWrites;
    int radioWrites = 0;
    int saveStateWrites = 0;

    bool IsChecked(SetButton button) const {
        const auto it = checked.find(button);
        return it != checked.end() && it->second;
    }
    int Calls() const {
        return static_cast<int>(fieldWrites.size()) + radioWrites + saveStateWrites;
    }

    void SetFieldInt(SettingId field, std::int32_t value) override {
        fields[field] = std::to_string(value);
        fieldWrites.emplace_back(field, value);
    }
    void SetSetChecked(SetButton button, bool isChecked) override {
        checked[button] = isChecked;
        ++radioWrites;
    }
    void SetSaveEnabled(bool enabled) override {
        saveEnabled = enabled;
        ++saveStateWrites;
    }
};

}  // namespace tavrel::testing
