// SPDX-License-Identifier: GPL-3.0-or-later
// What every settings store must do, as one suite run against each implementation.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "tavrel/settings_store.h"

namespace tavrel::testing {

struct StoreMaker {
    std::string name;
    // Each call gives an empty store of its own; destroying it removes what the test left.
    std::function<std::unique_ptr<SettingsStore>()> make;
};

inline std::string StoreMakerName(const ::testing::TestParamInfo<StoreMaker>& info) {
    return info.param.name;
}

class StoreContract : public ::testing::TestWithParam<StoreMaker> {
  protected:
    void SetUp() override { store = GetParam().make(); }
    void TearDown() override { store.reset(); }

    std::unique_ptr<SettingsStore> store;
};

}  // namespace tavrel::testing
