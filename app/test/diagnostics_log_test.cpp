// SPDX-License-Identifier: GPL-3.0-or-later
// The diagnostics log: what the controller notes, and the file it goes to.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <unistd.h>
#include <string>

#include "tavrel/diagnostics_log.h"
#include "tavrel/monitor_controller.h"
#include "tavrel/testing/fake_diagnostics_log.h"
#include "tavrel/testing/fake_roles.h"
#include "tavrel/testing/simulated_clock.h"

namespace tavrel {
namespace {

using namespace tavrel::testing;
namespace fs = std::filesystem;

class ControllerDiagnosticsTest : public ::testing::Test, public FakeRoles {};

TEST_F(ControllerDiagnosticsTest, UnreadableSettingsAreToldOnceAndCaptureChangesAreNoted) {
    FakeDiagnosticsLog log;
    store.loadProblem = "Tavrel cannot read its settings file /x/Tavrel.conf (Permission denied).";
    MonitorController controller(Roles(&log));
    controller.Start(1024);
    EXPECT_TRUE(window.messages.empty()) << "told once the window ticks, not in Start";
    for (int i = 0; i < 60; ++i) {
        if (i == 25) {
            source.status = CaptureStatus{CaptureHealth::NotCounting, "The X server went away."};
        }
        if (i == 45) source.status = CaptureStatus{};
        clock.Advance(50);
        controller.OnTimer();
    }
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0], store.loadProblem);
    ASSERT_EQ(log.lines.size(), 3u);
    EXPECT_EQ(log.lines[0].event, "settings-unreadable");
    EXPECT_EQ(log.lines[0].words, store.loadProblem);
    EXPECT_EQ(log.lines[1].event, "capture-lost");
    EXPECT_EQ(log.lines[1].words, "The X server went away.");
    EXPECT_EQ(log.lines[2].event, "capture-changed");
    EXPECT_EQ(log.lines[2].words, "counting again");
}

std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(FileDiagnosticsLogTest, StampedSingleLinesInABoundedPairOfFiles) {
    const fs::path folder =
        fs::temp_directory_path() / ("tavrel_log_test_" + std::to_string(::getpid()));
    fs::remove_all(folder);
    SimulatedClock clock;
    clock.now = At(8, 2, 3, 4, 0, 12, 2026);
    clock.utcOffsetMinutes = 60;
    FileDiagnosticsLog log(clock, folder / "tavrel" / "tavrel.log", 200);
    log.Note("capture-lost", "The X server\nwent away.");
    EXPECT_EQ(Contents(log.file()), "2026-12-08 03:03:04 capture-lost The X server went away.\n");

    for (int i = 0; i < 20; ++i) log.Note("history-dropped", "one minute dropped");
    const std::uintmax_t current = fs::file_size(log.file());
    const std::uintmax_t older = fs::file_size(folder / "tavrel" / "tavrel.log.1");
    EXPECT_LE(current, 200u);
    EXPECT_LE(older, 200u);
    EXPECT_GT(older, 150u) << "rotated only when full";
    EXPECT_EQ(std::distance(fs::directory_iterator(folder / "tavrel"), {}), 2);
    fs::remove_all(folder);
}

TEST(FileDiagnosticsLogTest, PathFollowsXdgStateHome) {
    EXPECT_EQ(XdgDiagnosticsLogPath("/s", "/h"), fs::path("/s/tavrel/tavrel.log"));
    EXPECT_EQ(XdgDiagnosticsLogPath("", "/h"), fs::path("/h/.local/state/tavrel/tavrel.log"));
    EXPECT_EQ(XdgDiagnosticsLogPath("rel", "/h"), fs::path("/h/.local/state/tavrel/tavrel.log"));
    EXPECT_EQ(XdgDiagnosticsLogPath(nullptr, "/h"), fs::path("/h/.local/state/tavrel/tavrel.log"));
}

}  // namespace
}  // namespace tavrel
