// SPDX-License-Identifier: GPL-3.0-or-later
// The window's numbers for the core's names: every read-out, field, button and icon has its
// own, and only the settings fields read back as fields.
#include <gtest/gtest.h>

#include <set>

#include "control_ids.h"

namespace tavrel::win32 {
namespace {

TEST(ControlIdsTest, OnlyTheSettingsFieldsAreSettingsAndEachMapsBack) {
    for (int i = 0; i < kSettingCount; ++i) {
        const SettingId field = SettingAt(i);
        SettingId back{};
        ASSERT_TRUE(SettingOfControl(ControlOf(field), back)) << i;
        EXPECT_EQ(back, field);
    }
    for (const int id : {0, 1001, 1002, 1008, 1010, 1012, 1014, 1016, 1022, 1023, -1}) {
        SettingId field{};
        EXPECT_FALSE(SettingOfControl(id, field)) << id;
    }
}

TEST(ControlIdsTest, EachSettingHasTheControlOfItsTemplate) {
    const std::pair<SettingId, int> fields[] = {
        {SettingId::Threshold, 1011},       {SettingId::Decay, 1013},
        {SettingId::BreakLimit, 1015},      {SettingId::ClickPain, 1017},
        {SettingId::DoubleclickPain, 1018}, {SettingId::KeyboardPain, 1019},
        {SettingId::MovePain, 1020},        {SettingId::DragPain, 1021},
    };
    ASSERT_EQ(static_cast<int>(sizeof fields / sizeof fields[0]), kSettingCount);
    for (const auto& c : fields) EXPECT_EQ(ControlOf(c.first), c.second) << c.second;
}

TEST(ControlIdsTest, ReadoutsAndIconsHaveTheirResources) {
    const std::pair<TrayIcon, int> icons[] = {
        {TrayIcon::Level0, 132}, {TrayIcon::Level1, 135}, {TrayIcon::Level2, 136},
        {TrayIcon::Level3, 137}, {TrayIcon::Level4, 138}, {TrayIcon::Level5, 139},
        {TrayIcon::Alarm1, 133}, {TrayIcon::Alarm2, 134},
    };
    for (const auto& c : icons) EXPECT_EQ(ResourceOf(c.first), c.second);
    const std::pair<Readout, int> readouts[] = {
        {Readout::TickCount, 1002}, {Readout::Distance, 1004}, {Readout::DragDistance, 1001},
        {Readout::Clicks, 1005},    {Readout::Pain, 1006},     {Readout::TotalDistance, 1007},
        {Readout::TotalKeys, 1009},
    };
    for (const auto& c : readouts) EXPECT_EQ(ControlOf(c.first), c.second);
    EXPECT_EQ(ControlOf(SetButton::Normal), 1023);
    EXPECT_EQ(ControlOf(SetButton::Painful), 1022);
}

}  // namespace
}  // namespace tavrel::win32
