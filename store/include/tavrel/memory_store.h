// SPDX-License-Identifier: GPL-3.0-or-later
// A settings store held in memory: for tests, and for a run that must not touch the disk.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tavrel/settings_store.h"

namespace tavrel {

// Keeps the same rules as the registry store, so that code tested against it behaves the same
// there. Gone when the object goes.
class MemoryStore : public SettingsStore {
  public:
    std::int32_t ReadInt(const char* section, const char* key, std::int32_t def) override;
    std::string ReadString(const char* section, const char* key, const char* def) override;
    bool WriteInt(const char* section, const char* key, std::int32_t value) override;
    bool WriteString(const char* section, const char* key, const char* value) override;
    bool WriteBatch(const std::vector<StoreValue>& values) override;

  private:
    struct Value {
        bool isText;
        std::int32_t number;
        std::string text;
    };
    struct NoCaseLess {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    using Section = std::map<std::string, Value, NoCaseLess>;

    const Value* Find(const char* section, const char* key) const;
    Value* Slot(const char* section, const char* key);

    std::map<std::string, Section, NoCaseLess> sections_;
};

}  // namespace tavrel
