// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/start_with_windows.h"

#include <gtest/gtest.h>

#include <vector>

namespace tavrel {
namespace {

const std::string kProgram = R"(C:\Users\Ann Lee\AppData\Local\Programs\Tavrel\Tavrel.exe)";

TEST(StartWithWindows, TaskManagerMarkIsReadFromItsFirstByte) {
    const struct {
        std::vector<std::uint8_t> bytes;
        StartupApproval expected;
    } cases[] = {
        {{}, StartupApproval::Unset},
        {{0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, StartupApproval::Enabled},
        {{0x06, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, StartupApproval::Enabled},
        {{0x03, 0, 0, 0, 0x12, 0x34, 0x56, 0x78, 0x9a, 0xbc, 0xde, 0x01},
         StartupApproval::Disabled},
        {{0x07}, StartupApproval::Disabled},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ApprovalFromBytes(c.bytes.data(), c.bytes.size()), c.expected)
            << "first byte " << (c.bytes.empty() ? -1 : c.bytes[0]);
    }
    EXPECT_EQ(ApprovalFromBytes(nullptr, 12), StartupApproval::Unset);
}

TEST(StartWithWindows, TheCommandIsTheQuotedPathAndMatchesItsOwnSpellings) {
    EXPECT_EQ(StartupCommand(kProgram), "\"" + kProgram + "\"");
    EXPECT_TRUE(CommandStarts(StartupCommand(kProgram), kProgram));
    EXPECT_TRUE(CommandStarts(R"(  "c:\users\ann lee\appdata\local\programs\tavrel\TAVREL.EXE" )",
                              kProgram));
    EXPECT_TRUE(
        CommandStarts(R"(C:/Users/Ann Lee/AppData/Local/Programs/Tavrel/Tavrel.exe)", kProgram));
    EXPECT_FALSE(CommandStarts(R"("D:\Tools\Tavrel\Tavrel.exe")", kProgram));
    EXPECT_FALSE(
        CommandStarts(R"("C:\Users\Ann Lee\AppData\Local\Programs\Tavrel\Tavrel.exe2")", kProgram));
    EXPECT_FALSE(CommandStarts("", kProgram));
    EXPECT_FALSE(CommandStarts("\"\"", ""));
}

TEST(StartWithWindows, WhatTheItemShowsAndWhatChoosingItDoes) {
    using Run = StartupChange::Run;
    const std::string ours = StartupCommand(kProgram);
    const std::string other = R"("D:\Old copy\Tavrel.exe")";
    const struct {
        const char* what;
        StartupEntry entry;
        StartupState state;
        Run run;
        bool tell;
    } cases[] = {
        {"no value", {std::nullopt, StartupApproval::Unset}, StartupState::Off, Run::Write, false},
        {"our value", {ours, StartupApproval::Unset}, StartupState::On, Run::Remove, false},
        {"our value, enabled in Task Manager",
         {ours, StartupApproval::Enabled},
         StartupState::On,
         Run::Remove,
         false},
        {"another copy's value",
         {other, StartupApproval::Enabled},
         StartupState::Off,
         Run::Write,
         false},
        // Turned off by the user: shown off; the mark stays, the user is told where to turn it on.
        {"our value, turned off",
         {ours, StartupApproval::Disabled},
         StartupState::TurnedOffByUser,
         Run::Keep,
         true},
        {"another copy's value, turned off",
         {other, StartupApproval::Disabled},
         StartupState::TurnedOffByUser,
         Run::Write,
         true},
        {"a mark left without a value",
         {std::nullopt, StartupApproval::Disabled},
         StartupState::TurnedOffByUser,
         Run::Write,
         true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StateOf(c.entry, kProgram), c.state) << c.what;
        const StartupChange change = OnChoose(c.entry, kProgram);
        EXPECT_EQ(change.run, c.run) << c.what;
        EXPECT_EQ(change.tellTurnedOff, c.tell) << c.what;
    }
}

}  // namespace
}  // namespace tavrel
