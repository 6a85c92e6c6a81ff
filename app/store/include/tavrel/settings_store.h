// The per-user settings store: named sections of 32-bit integers and texts.
#pragma once

#include <cstdint>
#include <string>

namespace tavrel {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // An absent value, or one of the other kind, reads as the default.
    virtual std::int32_t ReadInt(const char* section, const char* key, std::int32_t def) = 0;
    // def may be null: an absent value then reads as the empty text.
    virtual std::string ReadString(const char* section, const char* key, const char* def) = 0;
    // True when stored; a failed write leaves the old value in place.
    virtual bool WriteInt(const char* section, const char* key, std::int32_t value) = 0;
    virtual bool WriteString(const char* section, const char* key, const char* value) = 0;
};

}  // namespace tavrel
