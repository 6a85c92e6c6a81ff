// SPDX-License-Identifier: GPL-3.0-or-later
// The settings, one row each: the name the code uses, the store key, the default, the label
// of its field, whether the field takes digits only, the range that survives a round trip
// through the model, and the conversions between the integers that the user types and the
// store holds and the values of the pain model. Everything else is built from this table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

#include "tavrel/pain_model.h"

namespace tavrel {

// In the order of the fields in the window, which is also the tab order.
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

enum class SettingKind {
    Float,    // a float of the model; its integer form truncates toward zero
    Tenths,   // a float held in tenths outside the model; its integer form rounds to nearest
    Integer,  // a 32-bit integer of the model, taken as is
};

struct SettingField {
    SettingId id;
    const char* key;
    std::int32_t defaultValue;
    const char* label;  // with the mnemonic's "&"
    bool digitsOnly;    // the field refuses anything but digits as they are typed
    // Every integer of at most this magnitude loads and reads back unchanged; no range is
    // enforced, but beyond it a float cannot hold every whole number of units or tenths.
    std::int32_t exactUpTo;
    SettingKind kind;
    float PainModel::*floatMember;       // Float and Tenths
    std::int32_t PainModel::*intMember;  // Integer
};

namespace setting_limits {
constexpr std::int32_t kFloat = 16777216;  // 2^24, a float's whole numbers
constexpr std::int32_t kTenths = 8388608;  // 2^23 tenths
constexpr std::int32_t kInteger = std::numeric_limits<std::int32_t>::max();
}  // namespace setting_limits

// In the order in which a set is read, written and shown.
inline constexpr SettingField kSettingFields[] = {
    {SettingId::Threshold, "Threshold", 100, "&Threshold", true, setting_limits::kFloat,
     SettingKind::Float, &PainModel::threshold, nullptr},
    {SettingId::Decay, "Decay", 100, "&Decay", true, setting_limits::kTenths, SettingKind::Tenths,
     &PainModel::decay, nullptr},
    {SettingId::KeyboardPain, "KeyboardPain", 10, "&Keyboard pain", false, setting_limits::kFloat,
     SettingKind::Float, &PainModel::keyboardPain, nullptr},
    {SettingId::ClickPain, "ClickPain", 10, "&Click pain", false, setting_limits::kFloat,
     SettingKind::Float, &PainModel::clickPain, nullptr},
    {SettingId::DoubleclickPain, "DoubleclickPain", 10, "&Doubleclick pain", false,
     setting_limits::kFloat, SettingKind::Float, &PainModel::doubleclickPain, nullptr},
    {SettingId::MovePain, "MovePain", 10, "&Move pain", false, setting_limits::kFloat,
     SettingKind::Float, &PainModel::movePain, nullptr},
    {SettingId::DragPain, "DragPain", 10, "&Drag pain", false, setting_limits::kFloat,
     SettingKind::Float, &PainModel::dragPain, nullptr},
    {SettingId::BreakLimit, "BreakLimit", 100, "&Break Limit", true, setting_limits::kInteger,
     SettingKind::Integer, nullptr, &PainModel::breakLimit},
};

constexpr int kSettingCount = static_cast<int>(sizeof kSettingFields / sizeof kSettingFields[0]);

namespace setting_table {
// Each id from 0 up names exactly one row, so that an id can index a table of its own.
constexpr bool NamesEveryIdOnce() {
    for (int id = 0; id < kSettingCount; ++id) {
        int rows = 0;
        for (const SettingField& field : kSettingFields) rows += static_cast<int>(field.id) == id;
        if (rows != 1) return false;
    }
    return true;
}
}  // namespace setting_table
static_assert(setting_table::NamesEveryIdOnce(), "every SettingId needs exactly one row");

// The row of an id; every id has one.
constexpr const SettingField& FindSettingField(SettingId id) {
    for (const SettingField& field : kSettingFields) {
        if (field.id == id) return field;
    }
    return kSettingFields[0];  // unreachable: the table names every id
}

// The ids in the window's order, 0 to kSettingCount - 1.
constexpr SettingId SettingAt(int index) {
    return static_cast<SettingId>(index);
}

// Puts an integer into the model by the setting's load conversion.
void LoadSetting(PainModel& model, const SettingField& field, std::int32_t value);

// The setting's integer form: what its field shows, what a typed number is compared with and
// what Save writes. It gives back every integer that LoadSetting took, up to the row's
// exactUpTo; beyond the 32-bit range it saturates.
std::int32_t SettingIntegerForm(const PainModel& model, const SettingField& field);

// Reads a field's text as an unsigned decimal number, as the dialog manager's unsigned
// integer reading does: leading blanks (space, tab, CR, LF, VT, FF) are skipped, then one or
// more decimal digits and nothing else must follow, and the value must not exceed 4294967295.
// False, with value untouched, for anything else, a null text included.
bool ParseUnsignedDecimal(const char* text, std::uint32_t& value);

}  // namespace tavrel
