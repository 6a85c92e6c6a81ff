// SPDX-License-Identifier: GPL-3.0-or-later
// The controller over the shared fakes, started and ticked as the window's timer would.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "tavrel/monitor_controller.h"
#include "tavrel/testing/fake_roles.h"

namespace tavrel {
namespace controller_test {

using namespace tavrel::testing;

constexpr char kWriteFailed[] = "Can't write to INI file?";

class MonitorControllerTest : public ::testing::Test, public FakeRoles {
  protected:
    void SetUp() override { idleMs = 0; }
    void TearDown() override { idleMs = 0; }

    MonitorController& Start() {
        controller = std::make_unique<MonitorController>(Roles());
        controller->Start(1024);
        controller->OnTimer();  // the first tick only reads the clock
        return *controller;
    }
    void Tick(int ms = 50) {
        clock.Advance(ms);
        controller->OnTimer();
    }
    // One interval with ten keystrokes: 100 pain with the default weights, an alarm at the
    // default threshold of 100.
    void TickWithKeys(int keys) {
        source.pending.keys = keys;
        Tick();
    }
    void ExpectFlags(int u, int d, int a) const {
        EXPECT_EQ(controller->flags().hiddenByUser, u);
        EXPECT_EQ(controller->flags().hiddenUndisturbed, d);
        EXPECT_EQ(controller->flags().raisedByAlarm, a);
    }

    std::unique_ptr<MonitorController> controller;
};

}  // namespace controller_test
}  // namespace tavrel
