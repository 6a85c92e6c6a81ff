// SPDX-License-Identifier: GPL-3.0-or-later
#include "store_contract.h"

#include <cstdint>
#include <limits>
#include <string>

namespace tavrel::testing {
namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

TEST_P(StoreContract, SignedIntegersRoundTripAllThirtyTwoBits) {
    const std::int32_t values[] = {-1, kMin, kMax, 0, 1, 100, -100, 0x7fff, 0x8000, -65536};
    for (const std::int32_t value : values) {
        SCOPED_TRACE(value);
        ASSERT_TRUE(store->WriteInt("Good", "Threshold", value));
        // A default that differs from the value proves the value was read.
        EXPECT_EQ(store->ReadInt("Good", "Threshold", value == 7 ? 8 : 7), value);
    }
}

TEST_P(StoreContract, AbsentValuesReadAsTheirDefaults) {
    EXPECT_EQ(store->ReadInt("Good", "Threshold", 100), 100);
    EXPECT_EQ(store->ReadInt("Good", "Threshold", -5), -5);
    EXPECT_EQ(store->ReadString("Main", "Set", "Good"), "Good");
    EXPECT_EQ(store->ReadString("Main", "Set", nullptr), "");

    // A section that exists does not make its other keys present.
    ASSERT_TRUE(store->WriteInt("Good", "Decay", 7));
    ASSERT_TRUE(store->WriteString("Main", "Set", "Painful"));
    EXPECT_EQ(store->ReadInt("Good", "Threshold", 100), 100);
    EXPECT_EQ(store->ReadString("Main", "Other", "x"), "x");
    EXPECT_EQ(store->ReadString("Main", "Other", nullptr), "");
}

TEST_P(StoreContract, TextsRoundTrip) {
    const std::string texts[] = {
        "Good", "Painful", "good", " two  blanks ", "a\tb", "0", std::string(3000, 'z'),
        // A folder's path in UTF-8, as the shared folder's setting holds it.
        "C:\\Users\\Zo\xC3\xAB\\\xE5\x90\x8C\xE6\xAD\xA5"};
    for (const std::string& text : texts) {
        SCOPED_TRACE(text.substr(0, 20));
        ASSERT_TRUE(store->WriteString("Main", "Set", text.c_str()));
        EXPECT_EQ(store->ReadString("Main", "Set", "default"), text);
    }
}

TEST_P(StoreContract, StoredEmptyTextIsNotAbsent) {
    ASSERT_TRUE(store->WriteString("Main", "Set", ""));
    EXPECT_EQ(store->ReadString("Main", "Set", "Good"), "");
}

TEST_P(StoreContract, ValueOfTheOtherKindReadsAsTheDefault) {
    ASSERT_TRUE(store->WriteString("Good", "Threshold", "123"));
    EXPECT_EQ(store->ReadInt("Good", "Threshold", 100), 100);

    ASSERT_TRUE(store->WriteInt("Main", "Set", 1));
    EXPECT_EQ(store->ReadString("Main", "Set", "Good"), "Good");
    EXPECT_EQ(store->ReadString("Main", "Set", nullptr), "");
}

TEST_P(StoreContract, SectionsAreIndependent) {
    ASSERT_TRUE(store->WriteInt("Good", "Threshold", 50));
    ASSERT_TRUE(store->WriteInt("Painful", "Threshold", 20));
    ASSERT_TRUE(store->WriteString("Good", "Name", "g"));
    ASSERT_TRUE(store->WriteString("Painful", "Name", "p"));
    EXPECT_EQ(store->ReadInt("Good", "Threshold", 0), 50);
    EXPECT_EQ(store->ReadInt("Painful", "Threshold", 0), 20);
    EXPECT_EQ(store->ReadInt("Main", "Threshold", 0), 0);
    EXPECT_EQ(store->ReadString("Good", "Name", nullptr), "g");
    EXPECT_EQ(store->ReadString("Painful", "Name", nullptr), "p");
}

TEST_P(StoreContract, WriteOverwritesTheValueAndItsKind) {
    ASSERT_TRUE(store->WriteInt("Good", "Decay", 100));
    ASSERT_TRUE(store->WriteInt("Good", "Decay", 7));
    EXPECT_EQ(store->ReadInt("Good", "Decay", 0), 7);

    ASSERT_TRUE(store->WriteString("Main", "Set", "Painful"));
    ASSERT_TRUE(store->WriteString("Main", "Set", "Good"));
    EXPECT_EQ(store->ReadString("Main", "Set", nullptr), "Good");

    ASSERT_TRUE(store->WriteString("Good", "Decay", "seven"));
    EXPECT_EQ(store->ReadInt("Good", "Decay", -1), -1);
    EXPECT_EQ(store->ReadString("Good", "Decay", nullptr), "seven");

    ASSERT_TRUE(store->WriteInt("Main", "Set", 3));
    EXPECT_EQ(store->ReadString("Main", "Set", "none"), "none");
    EXPECT_EQ(store->ReadInt("Main", "Set", 0), 3);
}

TEST_P(StoreContract, NamesIgnoreLetterCase) {
    ASSERT_TRUE(store->WriteString("Main", "Set", "Painful"));
    ASSERT_TRUE(store->WriteInt("Good", "BreakLimit", 250));
    EXPECT_EQ(store->ReadString("MAIN", "set", nullptr), "Painful");
    EXPECT_EQ(store->ReadInt("good", "BREAKLIMIT", 0), 250);

    ASSERT_TRUE(store->WriteInt("GOOD", "breaklimit", 300));
    EXPECT_EQ(store->ReadInt("Good", "BreakLimit", 0), 300);
}

TEST_P(StoreContract, NamesThatNameNoSectionHoldNothing) {
    ASSERT_TRUE(store->WriteInt("Good", "Threshold", 42));
    const char* const sections[] = {"", "Good\\Inner", "\\Good", nullptr};
    for (const char* section : sections) {
        SCOPED_TRACE(section != nullptr ? section : "(null)");
        EXPECT_FALSE(store->WriteInt(section, "Threshold", 1));
        EXPECT_FALSE(store->WriteString(section, "Set", "x"));
        EXPECT_EQ(store->ReadInt(section, "Threshold", -3), -3);
        EXPECT_EQ(store->ReadString(section, "Set", nullptr), "");
    }
    EXPECT_FALSE(store->WriteInt("Good", "", 1));
    EXPECT_EQ(store->ReadInt("Good", "", -3), -3);
    EXPECT_EQ(store->ReadInt("Good", "Threshold", 0), 42);
}

TEST_P(StoreContract, BatchStoresEveryValueWithItsKind) {
    ASSERT_TRUE(store->WriteInt("Painful", "Threshold", 5));
    ASSERT_TRUE(store->WriteBatch(
        {StoreValue::Int("Painful", "Threshold", kMin), StoreValue::Int("painful", "Decay", 7),
         StoreValue::Text("Main", "Set", "Painful"), StoreValue::Text("Main", "Name", "42"),
         StoreValue::Int("Good", "Decay", 1), StoreValue::Int("GOOD", "decay", 2)}));
    EXPECT_EQ(store->ReadInt("Painful", "Threshold", 0), kMin);
    EXPECT_EQ(store->ReadInt("Painful", "Decay", 0), 7);
    EXPECT_EQ(store->ReadString("Main", "Set", nullptr), "Painful");
    EXPECT_EQ(store->ReadString("Main", "Name", nullptr), "42");
    EXPECT_EQ(store->ReadInt("Main", "Name", -1), -1);
    EXPECT_EQ(store->ReadInt("Good", "Decay", 0), 2) << "the last of a key named twice";
    EXPECT_TRUE(store->WriteBatch({}));
    EXPECT_EQ(store->ReadInt("Good", "Decay", 0), 2);
}

TEST_P(StoreContract, BatchWithAnyValueThatCannotBeStoredStoresNothing) {
    ASSERT_TRUE(store->WriteInt("Good", "Threshold", 42));
    ASSERT_TRUE(store->WriteString("Main", "Set", "Good"));
    const std::string nulInside("Se\0t", 4);
    const StoreValue bad[] = {
        StoreValue::Int("", "Threshold", 1),
        StoreValue::Int("Good\\Inner", "Threshold", 1),
        StoreValue::Int("Good", "", 1),
        StoreValue::Text("Main", nulInside, "Painful"),
        StoreValue::Text(std::string("Ma\0in", 5), "Set", "Painful"),
        StoreValue::Text("Main", "Set", std::string("Pain\0ful", 8)),
    };
    for (const StoreValue& b : bad) {
        SCOPED_TRACE(b.section + "/" + b.key);
        // The bad value comes last, after values that alone would be stored.
        EXPECT_FALSE(store->WriteBatch({StoreValue::Int("Good", "Threshold", 7),
                                        StoreValue::Text("Main", "Set", "Painful"), b}));
        EXPECT_EQ(store->ReadInt("Good", "Threshold", 0), 42);
        EXPECT_EQ(store->ReadString("Main", "Set", nullptr), "Good");
        EXPECT_EQ(store->ReadString("Main", "Se", "absent"), "absent");
    }
}

}  // namespace
}  // namespace tavrel::testing
