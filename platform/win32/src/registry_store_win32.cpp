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

// Reads a value's type and bytes; false when the key or the value is missing or unreadable.
bool ReadRaw(const std::string& path, const char* name, RawValue& value) {
    win32::RegistryKey key;
    if (!key.Open(path)) return false;
    // The value may grow between asking its size and reading it: try again a few times.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = 0;
        if (RegQueryValueExA(key.get(), name, nullptr, &value.type, nullptr, &size) !=
            ERROR_SUCCESS) {
            return false;
        }
        value.data.assign(static_cast<std::size_t>(size) + 1, 0);
        DWORD got = size + 1;
        const LONG rc =
            RegQueryValueExA(key.get(), name, nullptr, &value.type, value.data.data(), &got);
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS) return false;
        value.data.resize(got);
        return true;
    }
    return false;
}

bool WriteRaw(const std::string& path, const char* name, DWORD type, const void* data, DWORD size) {
    win32::RegistryKey key;
    if (!key.Create(path)) return false;
    return RegSetValueExA(key.get(), name, 0, type, static_cast<const BYTE*>(data), size) ==
           ERROR_SUCCESS;
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

}  // namespace tavrel
