// The eight settings: their fields, store keys, defaults and the conversions between the
// integers that the user types and the store holds and the values of the pain model.
#pragma once

#include <cstdint>

#include "tavrel/pain_model.h"
#include "tavrel/settings_view.h"

namespace tavrel {

enum class SettingKind {
    Float,    // a float of the model; its integer form truncates toward zero
    Tenths,   // a float held in tenths outside the model; its integer form rounds to nearest
    Integer,  // a 32-bit integer of the model, taken as is
};

struct SettingField {
    SettingId id;
    const char* key;
    std::int32_t defaultValue;
    SettingKind kind;
    float PainModel::*floatMember;       // Float and Tenths
    std::int32_t PainModel::*intMember;  // Integer
};

constexpr int kSettingFieldCount = 8;

// In the order in which a set is read, written and shown.
extern const SettingField kSettingFields[kSettingFieldCount];

// The entry of a field; every field has one.
const SettingField& FindSettingField(SettingId id);

// Puts an integer into the model by the setting's load conversion.
void LoadSetting(PainModel& model, const SettingField& field, std::int32_t value);

// The setting's integer form: what its field shows, what a typed number is compared with and
// what Save writes. It gives back every integer that LoadSetting took, up to a magnitude of
// 8388608 in tenths and 16777216 for the other floats; beyond the 32-bit range it saturates.
std::int32_t SettingIntegerForm(const PainModel& model, const SettingField& field);

}  // namespace tavrel
