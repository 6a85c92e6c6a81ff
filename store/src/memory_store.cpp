// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/memory_store.h"

namespace tavrel {

namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool MemoryStore::NoCaseLess::operator()(const std::string& a, const std::string& b) const {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char x = Lower(a[i]);
        const char y = Lower(b[i]);
        if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    }
    return a.size() < b.size();
}

const MemoryStore::Value* MemoryStore::Find(const char* section, const char* key) const {
    if (!IsValidSectionName(section) || !IsValidKeyName(key)) return nullptr;
    const auto s = sections_.find(section);
    if (s == sections_.end()) return nullptr;
    const auto v = s->second.find(key);
    return v == s->second.end() ? nullptr : &v->second;
}

MemoryStore::Value* MemoryStore::Slot(const char* section, const char* key) {
    if (!IsValidSectionName(section) || !IsValidKeyName(key)) return nullptr;
    return &sections_[section][key];
}

std::int32_t MemoryStore::ReadInt(const char* section, const char* key, std::int32_t def) {
    const Value* v = Find(section, key);
    return (v != nullptr && !v->isText) ? v->number : def;
}

std::string MemoryStore::ReadString(const char* section, const char* key, const char* def) {
    const Value* v = Find(section, key);
    if (v != nullptr && v->isText) return v->text;
    return def != nullptr ? std::string(def) : std::string();
}

bool MemoryStore::WriteInt(const char* section, const char* key, std::int32_t value) {
    Value* v = Slot(section, key);
    if (v == nullptr) return false;
    *v = Value{false, value, std::string()};
    return true;
}

bool MemoryStore::WriteString(const char* section, const char* key, const char* value) {
    Value* v = Slot(section, key);
    if (v == nullptr || value == nullptr) return false;
    *v = Value{true, 0, std::string(value)};
    return true;
}

bool MemoryStore::WriteBatch(const std::vector<StoreValue>& values) {
    // Checked in full first, so that a bad value stops the batch before anything changes.
    if (!IsStorableBatch(values)) return false;
    for (const StoreValue& v : values) {
        sections_[v.section][v.key] = Value{v.isText, v.isText ? 0 : v.number, v.text};
    }
    return true;
}

}  // namespace tavrel
