// SPDX-License-Identifier: GPL-3.0-or-later
// Where the core's names meet the window's numbers: read-outs, settings fields, set buttons
// and tray icons to their control and resource ids. The one place that knows both.
#pragma once

#include "resource.h"
#include "tavrel/main_window.h"
#include "tavrel/setting_fields.h"
#include "tavrel/settings_view.h"
#include "tavrel/tray.h"

namespace tavrel::win32 {

// In the order of the enums.
constexpr int kReadoutControls[] = {
    IDC_TICK_COUNT, IDC_DISTANCE,       IDC_DRAG_DISTANCE, IDC_CLICKS,
    IDC_PAIN,       IDC_TOTAL_DISTANCE, IDC_TOTAL_KEYS,
};
static_assert(sizeof kReadoutControls / sizeof kReadoutControls[0] == kReadoutCount,
              "one control per read-out");
constexpr int kTrayIconResources[] = {
    IDI_LEVEL0, IDI_LEVEL1, IDI_LEVEL2, IDI_LEVEL3, IDI_LEVEL4, IDI_LEVEL5, IDI_ALARM1, IDI_ALARM2,
};
constexpr int kTrayIconCount = static_cast<int>(sizeof kTrayIconResources / sizeof(int));

struct SettingControl {
    SettingId id;
    int control;
};

#define TAVREL_SETTING_CONTROL_ROW(name, control) {SettingId::name, control},
constexpr SettingControl kSettingControls[] = {TAVREL_SETTING_CONTROLS(TAVREL_SETTING_CONTROL_ROW)};
#undef TAVREL_SETTING_CONTROL_ROW
static_assert(sizeof kSettingControls / sizeof kSettingControls[0] == kSettingCount,
              "one control per setting");

namespace control_table {
constexpr bool EverySettingOnce() {
    for (int id = 0; id < kSettingCount; ++id) {
        int rows = 0;
        for (const SettingControl& row : kSettingControls) rows += static_cast<int>(row.id) == id;
        if (rows != 1) return false;
    }
    return true;
}
}  // namespace control_table
static_assert(control_table::EverySettingOnce(), "each setting's control listed once");

constexpr int ControlOf(Readout readout) {
    return kReadoutControls[static_cast<int>(readout)];
}
constexpr int ControlOf(SettingId field) {
    for (const SettingControl& row : kSettingControls) {
        if (row.id == field) return row.control;
    }
    return 0;  // unreachable: every setting is listed
}
constexpr int ControlOf(SetButton button) {
    return button == SetButton::Painful ? IDC_PAINFUL : IDC_NORMAL;
}
constexpr int ResourceOf(TrayIcon icon) {
    return kTrayIconResources[static_cast<int>(icon)];
}

// False for a control that is not one of the settings fields.
constexpr bool SettingOfControl(int controlId, SettingId& field) {
    for (const SettingControl& row : kSettingControls) {
        if (row.control == controlId) {
            field = row.id;
            return true;
        }
    }
    return false;
}

}  // namespace tavrel::win32
