// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/start_with_windows.h"

#include <cctype>

namespace tavrel {

const char kStartupTurnedOffText[] =
    "Starting Tavrel with Windows is turned off in Task Manager (Startup apps). "
    "Turn Tavrel on there to start it with Windows.";

StartupApproval ApprovalFromBytes(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || size == 0) return StartupApproval::Unset;
    return (data[0] & 1) != 0 ? StartupApproval::Disabled : StartupApproval::Enabled;
}

std::string StartupCommand(const std::string& programPath) {
    // Quoted: a path with spaces would otherwise start whatever its first word names.
    return "\"" + programPath + "\"";
}

namespace {

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// The program file a command line starts: the quoted part, or the whole line when unquoted.
std::string ProgramOf(const std::string& command) {
    const std::string line = Trimmed(command);
    if (line.empty() || line[0] != '"') return line;
    const auto close = line.find('"', 1);
    return line.substr(1, close == std::string::npos ? std::string::npos : close - 1);
}

bool SamePath(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        const bool bothSlashes = (x == '\\' || x == '/') && (y == '\\' || y == '/');
        if (!bothSlashes && std::tolower(x) != std::tolower(y)) return false;
    }
    return true;
}

}  // namespace

bool CommandStarts(const std::string& command, const std::string& programPath) {
    return !programPath.empty() && SamePath(ProgramOf(command), programPath);
}

StartupState StateOf(const StartupEntry& entry, const std::string& programPath) {
    if (entry.approval == StartupApproval::Disabled) return StartupState::TurnedOffByUser;
    if (entry.command && CommandStarts(*entry.command, programPath)) return StartupState::On;
    return StartupState::Off;
}

StartupChange OnChoose(const StartupEntry& entry, const std::string& programPath) {
    StartupChange change;
    const bool ours = entry.command && CommandStarts(*entry.command, programPath);
    switch (StateOf(entry, programPath)) {
        case StartupState::On:
            change.run = StartupChange::Run::Remove;
            break;
        case StartupState::Off:
            change.run = StartupChange::Run::Write;
            break;
        case StartupState::TurnedOffByUser:
            // Task Manager lists only entries with a Run value: make it this program's, so that
            // turning it on there starts this copy, and leave the mark to the user.
            if (!ours) change.run = StartupChange::Run::Write;
            change.tellTurnedOff = true;
            break;
    }
    return change;
}

}  // namespace tavrel
