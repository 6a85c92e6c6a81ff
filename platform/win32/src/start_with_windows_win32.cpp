#include "start_with_windows_win32.h"

#include <vector>

#include "framework_win32.h"
#include "handles_win32.h"

namespace tavrel::win32 {

namespace {

constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kApprovedKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

// A value's bytes; false when the key or the value is missing or unreadable.
bool ReadValue(const char* keyPath, const char* name, DWORD& type, std::vector<BYTE>& data) {
    RegistryKey key;
    if (!key.Open(keyPath)) return false;
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        return false;
    }
    data.assign(static_cast<std::size_t>(size) + 1, 0);  // room for a missing terminator
    DWORD got = size;
    if (RegQueryValueExA(key.get(), name, nullptr, &type, data.data(), &got) != ERROR_SUCCESS) {
        return false;
    }
    data.resize(got);
    return true;
}

std::string ProgramPath() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(path, length) : std::string();
}

bool WriteRunValue(const char* name, const std::string& command) {
    RegistryKey key;
    if (!key.Create(kRunKey)) return false;
    return RegSetValueExA(key.get(), name, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(command.c_str()),
                          static_cast<DWORD>(command.size() + 1)) == ERROR_SUCCESS;
}

bool RemoveRunValue(const char* name) {
    RegistryKey key;
    if (!key.Create(kRunKey)) return false;
    const LONG rc = RegDeleteValueA(key.get(), name);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

}  // namespace

StartupEntry ReadStartupEntry(const char* valueName) {
    StartupEntry entry;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    if (ReadValue(kRunKey, valueName, type, data) && (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::string text(data.begin(), data.end());
        text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
        entry.command = text;
    }
    if (ReadValue(kApprovedKey, valueName, type, data) && type == REG_BINARY) {
        entry.approval = ApprovalFromBytes(data.data(), data.size());
    }
    return entry;
}

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
