// SPDX-License-Identifier: GPL-3.0-or-later
#include "start_with_windows_win32.h"

#include "framework_win32.h"

namespace tavrel::win32 {

namespace {

std::string ProgramPath() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(path, length) : std::string();
}

}  // namespace

StartWithWindowsItem::StartWithWindowsItem() : program_(ProgramPath()) {}

bool StartWithWindowsItem::Checked() const {
    return StateOf(ReadStartupEntry(kStartupValueName), program_) == StartupState::On;
}

void StartWithWindowsItem::AppendTo(HMENU menu, UINT id) const {
    AppendMenuA(menu, MF_STRING | (Checked() ? MF_CHECKED : MF_UNCHECKED), id,
                kStartWithWindowsText);
}

void StartWithWindowsItem::Refresh(HMENU menu, UINT id) const {
    CheckMenuItem(menu, id, MF_BYCOMMAND | (Checked() ? MF_CHECKED : MF_UNCHECKED));
}

void StartWithWindowsItem::Choose(HWND owner) const {
    if (program_.empty()) return;  // a path too long to name: nothing sound to write
    const StartupChange change = OnChoose(ReadStartupEntry(kStartupValueName), program_);
    bool done = true;
    if (change.run == StartupChange::Run::Write) {
        done = WriteRunValue(kStartupValueName, StartupCommand(program_));
    } else if (change.run == StartupChange::Run::Remove) {
        done = RemoveRunValue(kStartupValueName);
    }
    if (change.tellTurnedOff) {
        MessageBoxFor(owner, kStartupTurnedOffText, MB_OK | MB_ICONINFORMATION);
    } else if (!done) {
        MessageBoxFor(owner, "Windows did not let Tavrel change whether it starts with Windows.",
                      MB_OK | MB_ICONWARNING);
    }
}

}  // namespace tavrel::win32
