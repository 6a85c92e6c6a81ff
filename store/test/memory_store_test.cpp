// SPDX-License-Identifier: GPL-3.0-or-later
// The store contract over the in-memory store and over the test double built on it.
#include <memory>

#include "tavrel/testing/recording_store.h"
#include "store_contract.h"
#include "tavrel/memory_store.h"

namespace tavrel::testing {
namespace {

INSTANTIATE_TEST_SUITE_P(
    Memory, StoreContract,
    ::testing::Values(StoreMaker{"MemoryStore", [] { return std::make_unique<MemoryStore>(); }},
                      StoreMaker{"FakeStore", [] { return std::make_unique<FakeStore>(); }}),
    StoreMakerName);

TEST(FakeStoreTest, FailedWritesStoreNothingAndAreRecorded) {
    FakeStore store;
    ASSERT_TRUE(store.WriteInt("Good", "Decay", 5));
    store.failWrite = [](const std::string& section, const std::string& key) {
        return section == "Good" && key == "Decay";
    };
    EXPECT_FALSE(store.WriteInt("Good", "Decay", 9));
    EXPECT_TRUE(store.WriteInt("Good", "Threshold", 9));
    EXPECT_EQ(store.ReadInt("Good", "Decay", 0), 5);
    ASSERT_EQ(store.writes.size(), 3u);
    EXPECT_FALSE(store.writes[1].stored);
    EXPECT_EQ(store.writes[1].value, "9");
    EXPECT_TRUE(store.writes[2].stored);
}

TEST(FakeStoreTest, BatchesAreRecordedAndFailAsAWhole) {
    FakeStore store;
    ASSERT_TRUE(store.WriteBatch(
        {StoreValue::Int("Good", "Decay", 5), StoreValue::Text("Main", "Set", "Good")}));
    store.failWrite = [](const std::string&, const std::string& key) { return key == "Set"; };
    EXPECT_FALSE(store.WriteBatch(
        {StoreValue::Int("Good", "Decay", 9), StoreValue::Text("Main", "Set", "Painful")}));
    EXPECT_EQ(store.ReadInt("Good", "Decay", 0), 5);
    EXPECT_EQ(store.ReadString("Main", "Set", nullptr), "Good");
    ASSERT_EQ(store.batches.size(), 2u);
    EXPECT_TRUE(store.batches[0].stored);
    EXPECT_FALSE(store.batches[1].stored);
    ASSERT_EQ(store.writes.size(), 4u);
    EXPECT_EQ(store.writes[2].batch, 1);
    EXPECT_EQ(store.writes[2].value, "9");
    EXPECT_FALSE(store.writes[2].stored);
}

}  // namespace
}  // namespace tavrel::testing
