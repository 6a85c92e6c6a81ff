// The per-user settings store: named sections of 32-bit integers and texts.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace tavrel {

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
};

inline bool IsValidSectionName(const char* section) {
    return section != nullptr && section[0] != '\0' && std::strchr(section, '\\') == nullptr;
}

inline bool IsValidKeyName(const char* key) {
    return key != nullptr && key[0] != '\0';
}

}  // namespace tavrel
