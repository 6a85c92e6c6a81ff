// SPDX-License-Identifier: GPL-3.0-or-later
// The settings' conversions between integers and the model, and the reading of a field's
// text as a number.
#include "tavrel/setting_fields.h"

#include <cmath>

namespace tavrel {

void LoadSetting(PainModel& model, const SettingField& field, std::int32_t value) {
    switch (field.kind) {
        case SettingKind::Float:
            model.*field.floatMember = static_cast<float>(value);
            break;
        case SettingKind::Tenths:
            // Single precision throughout: the product of two floats is exact in double, so
            // rounding it once gives the float product.
            model.*field.floatMember = static_cast<float>(
                static_cast<double>(static_cast<float>(value)) * static_cast<double>(0.1f));
            break;
        case SettingKind::Integer:
            model.*field.intMember = value;
            break;
    }
}

std::int32_t SettingIntegerForm(const PainModel& model, const SettingField& field) {
    switch (field.kind) {
        case SettingKind::Float:
            return TruncToInt32(static_cast<double>(model.*field.floatMember));
        case SettingKind::Tenths:
            return TruncToInt32(std::round(static_cast<double>(model.*field.floatMember) * 10.0));
        case SettingKind::Integer:
            return model.*field.intMember;
    }
    return 0;
}

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

}  // namespace

bool ParseUnsignedDecimal(const char* text, std::uint32_t& value) {
    if (text == nullptr) return false;
    const char* p = text;
    while (IsBlank(*p)) ++p;
    if (*p < '0' || *p > '9') return false;
    std::uint64_t number = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        number = number * 10 + static_cast<std::uint64_t>(*p - '0');
        // Leading zeros keep the number small, so the check stays exact however long the text.
        if (number > 0xFFFFFFFFu) return false;
    }
    if (*p != '\0') return false;
    value = static_cast<std::uint32_t>(number);
    return true;
}

}  // namespace tavrel
