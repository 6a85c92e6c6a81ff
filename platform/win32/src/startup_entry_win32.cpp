// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup_entry_win32.h"

#include <vector>

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

bool RemoveValue(const char* keyPath, const char* name) {
    RegistryKey key;
    if (!key.Create(keyPath)) return false;
    const LONG rc = RegDeleteValueA(key.get(), name);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

}  // namespace

bool WriteRunValue(const char* name, const std::string& command) {
    RegistryKey key;
    if (!key.Create(kRunKey)) return false;
    return RegSetValueExA(key.get(), name, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(command.c_str()),
                          static_cast<DWORD>(command.size() + 1)) == ERROR_SUCCESS;
}

bool RemoveRunValue(const char* name) {
    return RemoveValue(kRunKey, name);
}

bool RemoveStartupEntry(const char* name) {
    const bool run = RemoveValue(kRunKey, name);
    return RemoveValue(kApprovedKey, name) && run;
}

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

}  // namespace tavrel::win32
