// SPDX-License-Identifier: GPL-3.0-or-later
// Every role a controller takes, as the shared fakes, in one piece: a test derives from it
// (or holds one) and hands Roles() to the controller or the core.
#pragma once

#include "tavrel/monitor_controller.h"
#include "tavrel/testing/fake_activity_source.h"
#include "tavrel/testing/fake_desktop.h"
#include "tavrel/testing/fake_main_window.h"
#include "tavrel/testing/fake_settings_view.h"
#include "tavrel/testing/fake_tick_timer.h"
#include "tavrel/testing/fake_tray.h"
#include "tavrel/testing/recording_store.h"
#include "tavrel/testing/simulated_clock.h"

namespace tavrel::testing {

struct FakeRoles {
    MonitorRoles Roles(DiagnosticsLog* log = nullptr, WakeTarget* wake = nullptr) {
        return MonitorRoles{window, timer, view, tray, clock, source, store, log, wake, &quiet};
    }

    SimulatedClock clock;
    FakeActivitySource source;
    FakeMainWindow window;
    FakeTickTimer timer;
    FakeSettingsView view;
    FakeTray tray;
    FakeStore store;
    FakeDesktopQuiet quiet;
};

}  // namespace tavrel::testing
