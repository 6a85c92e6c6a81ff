// A store for tests of code that uses one: records every access and fails chosen writes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tavrel/memory_store.h"

namespace tavrel::testing {

class FakeStore : public SettingsStore {
  public:
    struct Write {
        std::string section;
        std::string key;
        std::string value;  // integers in decimal
        bool isText;
        bool stored;
    };

    // Decides which writes fail; a failed write stores nothing. Unset: every write succeeds.
    std::function<bool(const std::string& section, const std::string& key)> failWrite;

    MemoryStore data;  // what the store holds; tests may seed and inspect it directly
    std::vector<Write> writes;
    int reads = 0;

    void FailAllWrites() {
        failWrite = [](const std::string&, const std::string&) { return true; };
    }

    std::int32_t ReadInt(const char* section, const char* key, std::int32_t def) override {
        ++reads;
        return data.ReadInt(section, key, def);
    }
    std::string ReadString(const char* section, const char* key, const char* def) override {
        ++reads;
        return data.ReadString(section, key, def);
    }
    bool WriteInt(const char* section, const char* key, std::int32_t value) override {
        const bool fail = Fails(section, key);
        const bool stored = !fail && data.WriteInt(section, key, value);
        writes.push_back({Text(section), Text(key), std::to_string(value), false, stored});
        return stored;
    }
    bool WriteString(const char* section, const char* key, const char* value) override {
        const bool fail = Fails(section, key);
        const bool stored = !fail && data.WriteString(section, key, value);
        writes.push_back({Text(section), Text(key), Text(value), true, stored});
        return stored;
    }

  private:
    static std::string Text(const char* s) { return s != nullptr ? std::string(s) : std::string(); }
    bool Fails(const char* section, const char* key) const {
        return failWrite && failWrite(Text(section), Text(key));
    }
};

}  // namespace tavrel::testing
