// SPDX-License-Identifier: GPL-3.0-or-later
// The check the translation tables share: what the block recorded, field by field, and
// whether a button is still taken to be down.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "tavrel/hooks_core.h"

namespace tavrel::hooks {

inline void ExpectRecorded(ActivityBlock& block, const MDTAG& expected,
                           std::int32_t buttonDownAfter) {
    MDTAG r{};
    GetData(block, &r);
    EXPECT_EQ(r.moveDistance, expected.moveDistance);
    EXPECT_EQ(r.dragDistance, expected.dragDistance);
    EXPECT_EQ(r.clicks, expected.clicks);
    EXPECT_EQ(r.doubleClicks, expected.doubleClicks);
    EXPECT_EQ(r.keys, expected.keys);
    EXPECT_EQ(block.buttonDown, buttonDownAfter);
}

}  // namespace tavrel::hooks
