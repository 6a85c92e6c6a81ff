#include "registry_store.h"

#include <windows.h>

#include "handles_win32.h"

#include <cstring>
#include <utility>
#include <vector>

namespace tavrel {

namespace {

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

// Reads a value's type and bytes: ERROR_SUCCESS, ERROR_FILE_NOT_FOUND when the key or the
// value is missing, or another error when it is there but cannot be read.
LONG QueryRaw(const std::string& path, const char* name, RawValue& value) {
    win32::RegistryKey key;
    const LONG opened = key.TryOpen(path);
    if (opened != ERROR_SUCCESS) return opened;
    // The value may grow between asking its size and reading it: try again a few times.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = 0;
        const LONG asked = RegQueryValueExA(key.get(), name, nullptr, &value.type, nullptr, &size);
        if (asked != ERROR_SUCCESS) return asked;
        value.data.assign(static_cast<std::size_t>(size) + 1, 0);
        DWORD got = size + 1;
        const LONG rc =
            RegQueryValueExA(key.get(), name, nullptr, &value.type, value.data.data(), &got);
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
    win32::RegistryKey key;
    if (!key.Create(path)) return false;
    return RegSetValueExA(key.get(), name, 0, type, static_cast<const BYTE*>(data), size) ==
           ERROR_SUCCESS;
}

bool DeleteRaw(const std::string& path, const char* name) {
    win32::RegistryKey key;
    if (!key.Create(path)) return false;
    const LONG rc = RegDeleteValueA(key.get(), name);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

// What one value of a batch held before, so that a failed batch can put it back.
struct Previous {
    std::string path;
    const char* name;
    bool present;
    RawValue value;
};

bool WriteValue(const std::string& path, const StoreValue& v) {
    if (!v.isText) {
        const DWORD bits = static_cast<DWORD>(v.number);
        return WriteRaw(path, v.key.c_str(), REG_DWORD, &bits, sizeof bits);
    }
    if (v.text.size() >= MAXDWORD) return false;
    return WriteRaw(path, v.key.c_str(), REG_SZ, v.text.c_str(),
                    static_cast<DWORD>(v.text.size() + 1));
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
    if (value.data.empty()) return std::string();
    const char* text = reinterpret_cast<const char*>(value.data.data());
    const void* nul = std::memchr(text, '\0', value.data.size());
    const std::size_t length =
        nul != nullptr ? static_cast<const char*>(nul) - text : value.data.size();
    return std::string(text, length);
}

bool RegistryStore::WriteInt(const char* section, const char* key, std::int32_t value) {
    if (!IsValidSectionName(section) || !IsValidKeyName(key)) return false;
    const DWORD bits = static_cast<DWORD>(value);
    return WriteRaw(applicationKey_ + "\\" + section, key, REG_DWORD, &bits, sizeof bits);
}

bool RegistryStore::WriteString(const char* section, const char* key, const char* value) {
    if (!IsValidSectionName(section) || !IsValidKeyName(key) || value == nullptr) return false;
    const std::size_t size = std::strlen(value) + 1;
    if (size > MAXDWORD) return false;
    return WriteRaw(applicationKey_ + "\\" + section, key, REG_SZ, value, static_cast<DWORD>(size));
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
