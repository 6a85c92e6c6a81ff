// SPDX-License-Identifier: GPL-3.0-or-later
// The installer's one action of its own. Windows Installer removes only what the package
// wrote: a Run value that the program's menu item wrote after installing would outlive the
// program and name a file that is gone. On removal (not in an upgrade, which keeps the
// choice), this takes the entry away when it starts the installed copy; an entry that starts
// another copy of Tavrel is left alone.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <string>

#include "startup_entry_win32.h"

namespace {

std::string InstalledProgram(MSIHANDLE install) {
    char folder[MAX_PATH + 1] = {};
    DWORD size = sizeof folder;
    if (MsiGetPropertyA(install, "INSTALLDIR", folder, &size) != ERROR_SUCCESS || size == 0) {
        return {};
    }
    return std::string(folder, size) + "Tavrel.exe";
}

}  // namespace

extern "C" __declspec(dllexport) UINT __stdcall RemoveStartWithWindows(MSIHANDLE install) {
    using namespace tavrel;
    const std::string program = InstalledProgram(install);
    if (program.empty()) return ERROR_SUCCESS;
    const StartupEntry entry = win32::ReadStartupEntry(win32::kStartupValueName);
    if (entry.command && CommandStarts(*entry.command, program)) {
        win32::RemoveStartupEntry(win32::kStartupValueName);
    }
    // Never fails the removal: at worst the entry stays, as before.
    return ERROR_SUCCESS;
}
