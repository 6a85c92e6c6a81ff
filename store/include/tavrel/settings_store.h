// SPDX-License-Identifier: GPL-3.0-or-later
// The per-user settings store: named sections of 32-bit integers and texts.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace tavrel {

// One value of a batch write. Names and texts carry their length, so that a NUL inside one
// is seen (and refused) rather than silently cutting the name short.
struct StoreValue {
    std::string section;
    std::string key;
    bool isText = false;
    std::int32_t number = 0;
    std::string text;

    static StoreValue Int(std::string section, std::string key, std::int32_t value) {
        return StoreValue{std::move(section), std::move(key), false, value, std::string()};
    }
    static StoreValue Text(std::string section, std::string key, std::string value) {
        return StoreValue{std::move(section), std::move(key), true, 0, std::move(value)};
    }
};

// Rules every store keeps, so that the same code behaves the same on each:
// - a value absent, or of the other kind (a text read as an integer or the reverse), reads as
//   the default; nothing is ever deleted;
// - section and key names ignore letter case;
// - a section is named by one non-empty name without a backslash and a value by a non-empty
//   key; other names hold nothing: reads give the default and writes fail.
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;

    virtual std::int32_t ReadInt(const char* section, const char* key, std::int32_t def) = 0;
    // def may be null: an absent value then reads as the empty text.
    virtual std::string ReadString(const char* section, const char* key, const char* def) = 0;
    // True when stored; a failed write leaves the old value in place.
    virtual bool WriteInt(const char* section, const char* key, std::int32_t value) = 0;
    virtual bool WriteString(const char* section, const char* key, const char* value) = 0;
    // Stores every value or none: false leaves every old value in place. A batch that names
    // a value no single write could store (an invalid name, a NUL in a name or a text) fails
    // as a whole. Of a key named twice the last value counts. An empty batch stores nothing
    // and succeeds.
    virtual bool WriteBatch(const std::vector<StoreValue>& values) = 0;

    // Why the store could not read what it already holds, in plain words for the user; empty
    // when it read everything. A store that could not read keeps what it had untouched.
    virtual std::string LoadProblem() const { return std::string(); }
};

inline bool IsValidSectionName(const char* section) {
    return section != nullptr && section[0] != '\0' && std::strchr(section, '\\') == nullptr;
}

inline bool IsValidKeyName(const char* key) {
    return key != nullptr && key[0] != '\0';
}

// The same rules for names that carry their length: a NUL inside is never valid.
inline bool IsValidSectionName(const std::string& section) {
    return !section.empty() && section.find('\\') == std::string::npos &&
           section.find('\0') == std::string::npos;
}

inline bool IsValidKeyName(const std::string& key) {
    return !key.empty() && key.find('\0') == std::string::npos;
}

// True when every value of the batch could be stored by a single write.
inline bool IsStorableBatch(const std::vector<StoreValue>& values) {
    for (const StoreValue& v : values) {
        if (!IsValidSectionName(v.section) || !IsValidKeyName(v.key)) return false;
        if (v.isText && v.text.find('\0') != std::string::npos) return false;
    }
    return true;
}

}  // namespace tavrel
