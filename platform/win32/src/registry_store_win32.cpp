// SPDX-License-Identifier: GPL-3.0-or-later
#include "registry_store.h"

#include <windows.h>

#include "handles_win32.h"
#include "text_win32.h"

#include <climits>
#include <cstring>
#include <utility>
#include <vector>

namespace tavrel {

namespace {

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

// Texts are UTF-8 to the program and UTF-16 in the registry, as every other program reads
// them; names are ASCII either way.
using win32::ToUtf16;
using win32::ToUtf8;

// A value's name in UTF-16; false for one that is empty or not UTF-8, which would otherwise
// come out empty and reach the key's unnamed default value.
bool Name(const char* name, std::wstring& wide) {
    return ToUtf16(name, wide) && !wide.empty();
}

// Reads a value's type and bytes: ERROR_SUCCESS, ERROR_FILE_NOT_FOUND when the key or the
// value is missing, or another error when it is there but cannot be read.
LONG QueryRaw(const std::string& path, const char* name, RawValue& value) {
    win32::RegistryKey key;
    const LONG opened = key.TryOpen(path);
    if (opened != ERROR_SUCCESS) return opened;
    std::wstring wideName;
    if (!Name(name, wideName)) return ERROR_INVALID_PARAMETER;
    // The value may grow between asking its size and reading it: try again a few times.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = 0;
        const LONG asked =
            RegQueryValueExW(key.get(), wideName.c_str(), nullptr, &value.type, nullptr, &size);
        if (asked != ERROR_SUCCESS) return asked;
        value.data.assign(static_cast<std::size_t>(size) + 2, 0);
        DWORD got = size + 2;
        const LONG rc = RegQueryValueExW(key.get(), wideName.c_str(), nullptr, &value.type,
                                         value.data.data(), &got);
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS) return rc;
        value.data.resize(got);
        return ERROR_SUCCESS;
    }
    return ERROR_MORE_DATA;
}

// False when the key or the value is missing or unreadable.
bool ReadRaw(const std::string& path, const char* name, RawValue& value) {
    return QueryRaw(path, name, value) == ERROR_SUCCESS;
}

bool WriteRaw(const std::string& path, const char* name, DWORD type, const void* data, DWORD size) {
    std::wstring wideName;
    win32::RegistryKey key;
    if (!Name(name, wideName) || !key.Create(path)) return false;
    return RegSetValueExW(key.get(), wideName.c_str(), 0, type, static_cast<const BYTE*>(data),
                          size) == ERROR_SUCCESS;
}

bool DeleteRaw(const std::string& path, const char* name) {
    std::wstring wideName;
    win32::RegistryKey key;
    if (!Name(name, wideName) || !key.Create(path)) return false;
    const LONG rc = RegDeleteValueW(key.get(), wideName.c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

// What one value of a batch held before, so that a failed batch can put it back.
struct Previous {
    std::string path;
    const char* name;
    bool present;
    RawValue value;
};

bool WriteText(const std::string& path, const char* name, const std::string& text) {
    std::wstring wide;
    if (!ToUtf16(text, wide) || wide.size() >= MAXDWORD / sizeof(wchar_t)) return false;
    return WriteRaw(path, name, REG_SZ, wide.c_str(),
                    static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}

bool WriteValue(const std::string& path, const StoreValue& v) {
    if (!v.isText) {
        const DWORD bits = static_cast<DWORD>(v.number);
        return WriteRaw(path, v.key.c_str(), REG_DWORD, &bits, sizeof bits);
    }
    return WriteText(path, v.key.c_str(), v.text);
}

}  // namespace

RegistryStore::RegistryStore(std::string company, std::string application)
    : applicationKey_("Software\\" + std::move(company) + "\\" + std::move(application)) {}

std::int32_t RegistryStore::ReadInt(const char* section, const char* key, std::int32_t def) {
    if (!IsValidSectionName(section) || !IsValidKeyName(key)) return def;
    RawValue value;
    if (!ReadRaw(applicationKey_ + "\\" + section, key, value)) return def;
    if (value.type != REG_DWORD || value.data.size() != sizeof(std::uint32_t)) return def;
    std::uint32_t bits = 0;
    std::memcpy(&bits, value.data.data(), sizeof bits);
    return static_cast<std::int32_t>(bits);
}

std::string RegistryStore::ReadString(const char* section, const char* key, const char* def) {
    const std::string fallback = def != nullptr ? std::string(def) : std::string();
    if (!IsValidSectionName(section) || !IsValidKeyName(key)) return fallback;
    RawValue value;
    if (!ReadRaw(applicationKey_ + "\\" + section, key, value)) return fallback;
    if (value.type != REG_SZ) return fallback;
    // Up to the first NUL or the last whole character of the data.
    const std::size_t count = value.data.size() / sizeof(wchar_t);
    std::wstring text(count, L'\0');
    if (count > 0) std::memcpy(&text[0], value.data.data(), count * sizeof(wchar_t));
    const std::size_t nul = text.find(L'\0');
    return ToUtf8(text.c_str(), nul == std::wstring::npos ? count : nul);
}

bool RegistryStore::WriteInt(const char* section, const char* key, std::int32_t value) {
    if (!IsValidSectionName(section) || !IsValidKeyName(key)) return false;
    const DWORD bits = static_cast<DWORD>(value);
    return WriteRaw(applicationKey_ + "\\" + section, key, REG_DWORD, &bits, sizeof bits);
}

bool RegistryStore::WriteString(const char* section, const char* key, const char* value) {
    if (!IsValidSectionName(section) || !IsValidKeyName(key) || value == nullptr) return false;
    return WriteText(applicationKey_ + "\\" + section, key, value);
}

bool RegistryStore::WriteBatch(const std::vector<StoreValue>& values) {
    if (!IsStorableBatch(values)) return false;
    // The registry offers no transaction that Wine keeps, so the batch reads what each value
    // held first, writes them one by one and on a failure puts the old ones back, newest
    // first. A key created on the way stays, empty of the batch's values.
    std::vector<Previous> previous;
    previous.reserve(values.size());
    for (const StoreValue& v : values) {
        Previous p{applicationKey_ + "\\" + v.section, v.key.c_str(), false, RawValue{}};
        const LONG rc = QueryRaw(p.path, p.name, p.value);
        if (rc == ERROR_SUCCESS) {
            p.present = true;
        } else if (rc != ERROR_FILE_NOT_FOUND) {
            return false;  // a value that cannot be read could not be put back
        }
        previous.push_back(std::move(p));
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (WriteValue(previous[i].path, values[i])) continue;
        for (std::size_t j = i; j-- > 0;) {
            const Previous& p = previous[j];
            if (p.present) {
                WriteRaw(p.path, p.name, p.value.type, p.value.data.data(),
                         static_cast<DWORD>(p.value.data.size()));
            } else {
                DeleteRaw(p.path, p.name);
            }
        }
        return false;
    }
    return true;
}

}  // namespace tavrel
