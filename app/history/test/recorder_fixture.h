// SPDX-License-Identifier: GPL-3.0-or-later
// A recorder over a simulated clock, month files in memory and a main window that keeps its
// boxes: each Tick is one sample 50 ms after the last.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "fake_history_files.h"
#include "tavrel/failure_notice.h"
#include "tavrel/history_log.h"
#include "tavrel/history_recorder.h"
#include "tavrel/history_writer.h"
#include "tavrel/testing/fake_main_window.h"
#include "tavrel/testing/simulated_clock.h"

namespace tavrel::testing {

class RecorderTest : public ::testing::Test {
  protected:
    SimulatedClock clock;
    FakeMainWindow window;
    FailureNotice notice{window};
    FakeHistoryFiles files;
    HistoryWriter writer{files};
    HistoryRecorder recorder{clock, writer, notice};

    MDTAG activity{};  // each tick's
    float pain = 0.0f;
    float threshold = 100.0f;
    bool alarm = false;

    void Tick() {
        clock.Advance(50);
        const Sample sample{1, clock.now, 50, activity, pain, threshold, alarm, 0, 0};
        recorder.OnSample(sample);
    }
    void Run(int ms) {
        for (int t = 0; t < ms; t += 50) Tick();
    }

    HistoryLog ReadAll() { return ReadHistory(files, {1900, 1}, {9999, 12}); }

    // The lines of a month file after its header.
    std::vector<std::string> Lines(const HistoryMonth& month) {
        std::vector<std::string> lines;
        std::istringstream in(files.files[month]);
        std::string line;
        std::getline(in, line);
        EXPECT_EQ(line + "\n", kHistoryHeader);
        while (std::getline(in, line)) lines.push_back(line);
        return lines;
    }
};

}  // namespace tavrel::testing
