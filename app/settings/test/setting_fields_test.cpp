// SPDX-License-Identifier: GPL-3.0-or-later
// The settings' table and conversions, and the reading of a field's text as a number.
#include <cstdint>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tavrel/setting_fields.h"

namespace tavrel::testing {
namespace {

// Boundaries and a spread of values in between, of both signs.
std::vector<std::int32_t> Samples(std::int32_t limit) {
    std::vector<std::int32_t> values = {
        0,     1,     2,      7,         9,     10,        11,
        99,    100,   101,    limit - 1, limit, limit / 2, limit / 2 + 1,
        65535, 65536, 1000001};
    for (std::int32_t step = 0; step <= 1000; ++step) {
        values.push_back(static_cast<std::int32_t>(static_cast<std::int64_t>(limit) * step / 1000));
        values.push_back(static_cast<std::int32_t>(static_cast<std::int64_t>(limit) * step / 1000) -
                         step % 10);
    }
    const std::size_t positives = values.size();
    for (std::size_t i = 0; i < positives; ++i) values.push_back(-values[i]);
    return values;
}

TEST(SettingFieldsTest, EveryKindGivesBackTheIntegerItLoaded) {
    for (const SettingField& field : kSettingFields) {
        SCOPED_TRACE(field.key);
        for (const std::int32_t value : Samples(field.exactUpTo)) {
            PainModel model{};
            LoadSetting(model, field, value);
            ASSERT_EQ(SettingIntegerForm(model, field), value);
        }
    }
}

TEST(SettingFieldsTest, EachRowSaysWhatItsFieldAndKeyAre) {
    struct Row {
        SettingId id;
        const char* key;
        std::int32_t defaultValue;
        const char* label;
        bool digitsOnly;
        std::int32_t exactUpTo;
    };
    const Row rows[] = {
        {SettingId::Threshold, "Threshold", 100, "&Threshold", true, 16777216},
        {SettingId::Decay, "Decay", 100, "&Decay", true, 8388608},
        {SettingId::BreakLimit, "BreakLimit", 100, "&Break Limit", true, 2147483647},
        {SettingId::ClickPain, "ClickPain", 10, "&Click pain", false, 16777216},
        {SettingId::DoubleclickPain, "DoubleclickPain", 10, "&Doubleclick pain", false, 16777216},
        {SettingId::KeyboardPain, "KeyboardPain", 10, "&Keyboard pain", false, 16777216},
        {SettingId::MovePain, "MovePain", 10, "&Move pain", false, 16777216},
        {SettingId::DragPain, "DragPain", 10, "&Drag pain", false, 16777216},
    };
    ASSERT_EQ(kSettingCount, static_cast<int>(std::size(rows)));
    for (const Row& row : rows) {
        const SettingField& field = FindSettingField(row.id);
        SCOPED_TRACE(row.key);
        EXPECT_EQ(field.id, row.id);
        EXPECT_STREQ(field.key, row.key);
        EXPECT_EQ(field.defaultValue, row.defaultValue);
        EXPECT_STREQ(field.label, row.label);
        EXPECT_EQ(field.digitsOnly, row.digitsOnly);
        EXPECT_EQ(field.exactUpTo, row.exactUpTo);
    }
}

TEST(SettingFieldsTest, DecayIsHeldInTenthsInSinglePrecision) {
    const SettingField& decay = FindSettingField(SettingId::Decay);
    PainModel model{};
    const struct {
        std::int32_t tenths;
        float decay;
    } cases[] = {{7, 0.7f}, {100, 10.0f}, {1, 0.1f}, {0, 0.0f}, {-1, -0.1f}, {25, 2.5f}};
    for (const auto& c : cases) {
        LoadSetting(model, decay, c.tenths);
        EXPECT_EQ(model.decay, c.decay) << c.tenths;
    }
    // A float that is not a whole number of tenths shows the nearest one.
    model.decay = 0.76f;
    EXPECT_EQ(SettingIntegerForm(model, decay), 8);
    model.decay = -0.76f;
    EXPECT_EQ(SettingIntegerForm(model, decay), -8);
}

TEST(SettingFieldsTest, WholeUnitSettingsTruncateTowardZero) {
    const SettingField& threshold = FindSettingField(SettingId::Threshold);
    PainModel model{};
    model.threshold = 99.9f;
    EXPECT_EQ(SettingIntegerForm(model, threshold), 99);
    model.threshold = -99.9f;
    EXPECT_EQ(SettingIntegerForm(model, threshold), -99);
}

TEST(SettingFieldsTest, ExtremeIntegersStayWithinTheThirtyTwoBitRange) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    for (const SettingField& field : kSettingFields) {
        SCOPED_TRACE(field.key);
        PainModel model{};
        // The float nearest to the largest integer is 2^31, one past it, and ten times the
        // decay goes further still: both saturate rather than wrap to the other sign.
        LoadSetting(model, field, kMax);
        EXPECT_EQ(SettingIntegerForm(model, field), kMax);
        LoadSetting(model, field, kMin);
        EXPECT_EQ(SettingIntegerForm(model, field), kMin);
    }
}

TEST(SettingFieldsTest, EveryFieldHasAnEntryOfItsOwnWithItsOwnKey) {
    std::set<std::string> keys;
    for (int i = 0; i < kSettingCount; ++i) {
        const SettingId id = SettingAt(i);
        EXPECT_EQ(FindSettingField(id).id, id) << i;
        keys.insert(FindSettingField(id).key);
    }
    EXPECT_EQ(keys.size(), static_cast<std::size_t>(kSettingCount));
}

TEST(ParseUnsignedDecimalTest, ReadsWhatTheDialogManagerReads) {
    struct Case {
        std::string text;
        bool reads;
        std::uint32_t value;
    };
    const Case cases[] = {
        {"0", true, 0},
        {"7", true, 7},
        {"007", true, 7},
        {"100", true, 100},
        {" 42", true, 42},
        {"\t\r\n\v\f 42", true, 42},
        {"2147483647", true, 2147483647u},
        {"2147483648", true, 2147483648u},
        {"4294967295", true, 4294967295u},
        {"0004294967295", true, 4294967295u},
        {std::string(300, '0') + "9", true, 9},
        {"4294967296", false, 0},
        {"99999999999999999999", false, 0},
        {"", false, 0},
        {"   ", false, 0},
        {"-1", false, 0},
        {"+1", false, 0},
        {"- 1", false, 0},
        {"abc", false, 0},
        {"12a", false, 0},
        {"1 2", false, 0},
        {"12 ", false, 0},
        {"12\n", false, 0},
        {"0x10", false, 0},
        {"1.5", false, 0},
        {"1,000", false, 0},
        {"\xef\xbc\x91", false, 0},  // a full-width digit one
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("text: \"" + c.text.substr(0, 30) + "\"");
        std::uint32_t value = 12345;
        EXPECT_EQ(ParseUnsignedDecimal(c.text.c_str(), value), c.reads);
        EXPECT_EQ(value, c.reads ? c.value : 12345u) << "a failed read leaves the value alone";
    }
}

TEST(ParseUnsignedDecimalTest, NullTextDoesNotRead) {
    std::uint32_t value = 5;
    EXPECT_FALSE(ParseUnsignedDecimal(nullptr, value));
    EXPECT_EQ(value, 5u);
}

}  // namespace
}  // namespace tavrel::testing
