// SPDX-License-Identifier: GPL-3.0-or-later
// "Start with Windows": what the menu item shows and what choosing it does, from the program's
// value under the per-user Run key and the mark that Task Manager's Startup tab keeps beside it.
// The registry access lives in the Windows shell; this is the rule alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tavrel {

// Task Manager's mark for an entry, if it has written one.
enum class StartupApproval { Unset, Enabled, Disabled };

// Reads the mark's bytes: the first byte is even when the entry may start, odd when the user
// turned it off. Nothing readable counts as no mark.
StartupApproval ApprovalFromBytes(const std::uint8_t* data, std::size_t size);

struct StartupEntry {
    std::optional<std::string> command;  // the Run value's data, if there is one
    StartupApproval approval = StartupApproval::Unset;
};

enum class StartupState {
    Off,             // nothing starts this program with Windows
    On,              // the Run value starts this very program file
    TurnedOffByUser  // Task Manager says the entry must not start
};

// The quoted path that the Run value holds for the program file.
std::string StartupCommand(const std::string& programPath);

// True when the command starts the program file (quoted or not, letters in any case).
bool CommandStarts(const std::string& command, const std::string& programPath);

StartupState StateOf(const StartupEntry& entry, const std::string& programPath);

// What choosing the item does. The user's choice in Task Manager is never overridden: the
// program writes only its own Run value and, when the entry is turned off there, says where to
// turn it on.
struct StartupChange {
    enum class Run { Keep, Write, Remove } run = Run::Keep;
    bool tellTurnedOff = false;
};
StartupChange OnChoose(const StartupEntry& entry, const std::string& programPath);

// The message shown when the entry is turned off in Task Manager.
extern const char kStartupTurnedOffText[];

}  // namespace tavrel
