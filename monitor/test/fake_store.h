// An in-memory settings store for the tick's tests: keeps integers by section and key, logs
// every write and fails the writes it is told to.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tavrel/settings_store.h"

namespace tavrel::test {

class FakeStore : public SettingsStore {
  public:
    struct Write {
        std::string section, key;
        std::int32_t value;
        bool stored;
    };

    bool failWrites = false;  // every write fails while set
    std::vector<Write> writes;

    std::int32_t ReadInt(const char* section, const char* key, std::int32_t def) override {
        const auto found = ints_.find({section, key});
        return found == ints_.end() ? def : found->second;
    }
    std::string ReadString(const char*, const char*, const char* def) override {
        return def != nullptr ? def : "";
    }
    bool WriteInt(const char* section, const char* key, std::int32_t value) override {
        writes.push_back({section, key, value, !failWrites});
        if (failWrites) return false;
        ints_[{section, key}] = value;
        return true;
    }
    bool WriteString(const char*, const char*, const char*) override { return !failWrites; }

  private:
    std::map<std::pair<std::string, std::string>, std::int32_t> ints_;
};

}  // namespace tavrel::test
