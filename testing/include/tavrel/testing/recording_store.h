// SPDX-License-Identifier: GPL-3.0-or-later
// A store for tests of code that uses one: records every access and fails chosen writes,
// single or batched.
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
        int batch = -1;  // the index in batches of the batch it came in; -1 for a single write
    };
    struct Batch {
        std::vector<StoreValue> values;
        bool stored;
    };

    // Decides which writes fail; a failed write stores nothing. Unset: every write succeeds.
    // A batch fails as a whole when any of its values would.
    std::function<bool(const std::string& section, const std::string& key)> failWrite;

    MemoryStore data;           // what the store holds; tests may seed and inspect it directly
    std::vector<Write> writes;  // single writes and the values of batches, in order
    std::vector<Batch> batches;
    std::string loadProblem;  // what LoadProblem says
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

    bool WriteBatch(const std::vector<StoreValue>& values) override {
        bool fail = false;
        for (const StoreValue& v : values) fail = fail || Fails(v.section, v.key);
        const bool stored = !fail && data.WriteBatch(values);
        const int index = static_cast<int>(batches.size());
        batches.push_back({values, stored});
        for (const StoreValue& v : values) {
            writes.push_back({v.section, v.key, v.isText ? v.text : std::to_string(v.number),
                              v.isText, stored, index});
        }
        return stored;
    }
    std::string LoadProblem() const override { return loadProblem; }

  private:
    static std::string Text(const char* s) { return s != nullptr ? std::string(s) : std::string(); }
    bool Fails(const char* section, const char* key) const {
        return Fails(Text(section), Text(key));
    }
    bool Fails(const std::string& section, const std::string& key) const {
        return failWrite && failWrite(section, key);
    }
};

}  // namespace tavrel::testing
