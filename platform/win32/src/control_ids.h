// Where the core's names meet the window's numbers: read-outs, settings fields, set buttons
// and tray icons to their control and resource ids. The one place that knows both.
#pragma once

#include "resource.h"
#include "tavrel/main_window.h"
#include "tavrel/settings_view.h"
#include "tavrel/tray.h"

namespace tavrel::win32 {

// In the order of the enums.
constexpr int kReadoutControls[kReadoutCount] = {
    IDC_TICK_COUNT, IDC_DISTANCE,       IDC_DRAG_DISTANCE, IDC_CLICKS,
    IDC_PAIN,       IDC_TOTAL_DISTANCE, IDC_TOTAL_KEYS,
};
constexpr int kSettingControls[] = {
    IDC_THRESHOLD,  IDC_DECAY,         IDC_BREAK_LIMIT, IDC_CLICK_PAIN, IDC_DOUBLECLICK_PAIN,
    IDC_KEYBOARD_PAIN, IDC_MOVE_PAIN, IDC_DRAG_PAIN,
};
constexpr int kTrayIconResources[] = {
    IDI_LEVEL0, IDI_LEVEL1, IDI_LEVEL2, IDI_LEVEL3, IDI_LEVEL4, IDI_LEVEL5, IDI_ALARM1, IDI_ALARM2,
};

constexpr int ControlOf(Readout readout) {
    return kReadoutControls[static_cast<int>(readout)];
}
constexpr int ControlOf(SettingId field) {
    return kSettingControls[static_cast<int>(field)];
}
constexpr int ControlOf(SetButton button) {
    return button == SetButton::Painful ? IDC_PAINFUL : IDC_NORMAL;
}
constexpr int ResourceOf(TrayIcon icon) {
    return kTrayIconResources[static_cast<int>(icon)];
}

// False for a control that is not one of the eight settings fields.
constexpr bool SettingOfControl(int controlId, SettingId& field) {
    for (int i = 0; i < static_cast<int>(sizeof kSettingControls / sizeof kSettingControls[0]);
         ++i) {
        if (kSettingControls[i] == controlId) {
            field = static_cast<SettingId>(i);
            return true;
        }
    }
    return false;
}

}  // namespace tavrel::win32
