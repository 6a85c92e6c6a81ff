// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/ini_file_store.h"

#include <charconv>
#include <cstdlib>

#include "settings_file.h"

namespace tavrel {

namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return i == a.size() && b[i] == '\0';
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string Trim(const std::string& s) {
    std::size_t begin = 0;
    std::size_t end = s.size();
    while (begin < end && IsBlank(s[begin])) ++begin;
    while (end > begin && IsBlank(s[end - 1])) --end;
    return s.substr(begin, end - begin);
}

bool HasControl(const std::string& s) {
    for (const char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f) return true;
    }
    return false;
}

// Names the file can hold: a section line ends at ']', a key at '=', and blanks around
// either are not kept. Checked over their whole length, so that a NUL inside is seen.
bool Storable(const std::string& s, const std::string& k) {
    if (!IsValidSectionName(s) || !IsValidKeyName(k)) return false;
    return s.find(']') == std::string::npos && k.find('=') == std::string::npos && k[0] != '[' &&
           k[0] != ';' && k[0] != '#' && Trim(s) == s && Trim(k) == k && !HasControl(s) &&
           !HasControl(k);
}

bool Storable(const char* section, const char* key) {
    return IsValidSectionName(section) && IsValidKeyName(key) &&
           Storable(std::string(section), std::string(key));
}

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

bool ParseInt(const std::string& s, std::int32_t& value) {
    if (s.empty()) return false;
    const char* first = s.data();
    const char* last = first + s.size();
    std::int32_t parsed = 0;
    const auto result = std::from_chars(first, last, parsed, 10);
    if (result.ec != std::errc() || result.ptr != last) return false;
    value = parsed;
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool Unquote(const std::string& raw, std::string& text) {
    if (raw.size() < 2 || raw.front() != '"' || raw.back() != '"') return false;
    std::string out;
    for (std::size_t i = 1; i + 1 < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '"') return false;  // an unescaped quote inside
        if (c != '\\') {
            out += c;
            continue;
        }
        if (i + 2 >= raw.size()) return false;  // the escape would eat the closing quote
        const char e = raw[++i];
        switch (e) {
            case '\\':
                out += '\\';
                break;
            case '"':
                out += '"';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'x': {
                if (i + 3 >= raw.size()) return false;
                const int hi = HexDigit(raw[i + 1]);
                const int lo = HexDigit(raw[i + 2]);
                if (hi < 0 || lo < 0) return false;
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                break;
            }
            default:
                return false;
        }
    }
    text = std::move(out);
    return true;
}

}  // namespace

IniFileStore::IniFileStore(std::string path) : path_(std::move(path)) {
    Load();
}

std::string IniFileStore::FormatInt(std::int32_t value) {
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string IniFileStore::FormatText(const std::string& text) {
    std::int32_t ignored;
    const bool plain = !ParseInt(text, ignored) && Trim(text) == text && !HasControl(text) &&
                       (text.empty() || text.front() != '"');
    if (plain) return text;
    static const char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (u < 0x20 || u == 0x7f) {
                    out += "\\x";
                    out += kHex[u >> 4];
                    out += kHex[u & 15];
                } else {
                    out += c;
                }
        }
    }
    out += '"';
    return out;
}

bool IniFileStore::ParseValue(const std::string& raw, bool& isText, std::int32_t& number,
                              std::string& text) {
    if (!raw.empty() && raw.front() == '"') {
        if (!Unquote(raw, text)) return false;
        isText = true;
        return true;
    }
    if (ParseInt(raw, number)) {
        isText = false;
        return true;
    }
    isText = true;
    text = raw;
    return true;
}

void IniFileStore::Load() {
    settings_file::ReadResult file = settings_file::ReadWhole(path_);
    if (file.status == settings_file::ReadResult::Failed) {
        // What is in the file is unknown: it must not be replaced by what this run writes.
        loadProblem_ = "Tavrel cannot read its settings file " + path_ + " (" + file.reason +
                       "). It runs on the default settings and leaves the file as it is; it "
                       "reads it again at the next start.";
        return;
    }
    std::string& content = file.content;
    // An editor's byte-order mark is no part of the first section's name.
    if (content.compare(0, 3, kByteOrderMark) == 0) content.erase(0, 3);
    Section* current = nullptr;
    std::size_t begin = 0;
    while (begin < content.size()) {
        std::size_t end = content.find('\n', begin);
        if (end == std::string::npos) end = content.size();
        std::string line = content.substr(begin, end - begin);
        begin = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        LoadLine(line, current);
    }
}

void IniFileStore::LoadLine(const std::string& line, Section*& current) {
    const std::string t = Trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '#') return;
    if (t[0] == '[') {
        const std::size_t close = t.find(']');
        const std::string name = close == std::string::npos ? "" : t.substr(1, close - 1);
        current = nullptr;
        if (!Storable(name, "k")) return;  // its keys are skipped with it
        for (Section& s : sections_) {
            if (SameName(s.name, name)) current = &s;
        }
        if (current == nullptr) {
            sections_.push_back(Section{name, {}});
            current = &sections_.back();
        }
        return;
    }
    const std::size_t eq = t.find('=');
    if (current == nullptr || eq == std::string::npos) return;
    const std::string key = Trim(t.substr(0, eq));
    const std::string raw = Trim(t.substr(eq + 1));
    bool isText;
    std::int32_t number;
    std::string text;
    // A control character in an unquoted value was never written by a store: the line is
    // damaged, and only it is skipped.
    const bool quoted = !raw.empty() && raw.front() == '"';
    if (!Storable(current->name, key) || (!quoted && HasControl(raw)) ||
        !ParseValue(raw, isText, number, text)) {
        return;
    }
    for (Entry& e : current->entries) {
        if (SameName(e.key, key)) {
            e.raw = raw;  // the last of repeated keys counts
            return;
        }
    }
    current->entries.push_back(Entry{key, raw});
}

const IniFileStore::Entry* IniFileStore::Find(const char* section, const char* key) const {
    if (!IsValidSectionName(section) || !IsValidKeyName(key)) return nullptr;
    for (const Section& s : sections_) {
        if (!SameName(s.name, section)) continue;
        for (const Entry& e : s.entries) {
            if (SameName(e.key, key)) return &e;
        }
    }
    return nullptr;
}

std::int32_t IniFileStore::ReadInt(const char* section, const char* key, std::int32_t def) {
    const Entry* e = Find(section, key);
    bool isText;
    std::int32_t number;
    std::string text;
    if (e == nullptr || !ParseValue(e->raw, isText, number, text) || isText) return def;
    return number;
}

std::string IniFileStore::ReadString(const char* section, const char* key, const char* def) {
    const Entry* e = Find(section, key);
    bool isText;
    std::int32_t number;
    std::string text;
    if (e != nullptr && ParseValue(e->raw, isText, number, text) && isText) return text;
    return def != nullptr ? std::string(def) : std::string();
}

bool IniFileStore::WriteInt(const char* section, const char* key, std::int32_t value) {
    return Write(section, key, FormatInt(value));
}

bool IniFileStore::WriteString(const char* section, const char* key, const char* value) {
    if (value == nullptr) return false;
    return Write(section, key, FormatText(value));
}

bool IniFileStore::WriteBatch(const std::vector<StoreValue>& values) {
    if (!IsStorableBatch(values)) return false;
    for (const StoreValue& v : values) {
        if (!Storable(v.section, v.key)) return false;
    }
    if (values.empty()) return true;
    // The changes go into a copy first: memory follows the disk only once the file is in.
    std::vector<Section> next = sections_;
    for (const StoreValue& v : values) {
        Put(next, v.section, v.key, v.isText ? FormatText(v.text) : FormatInt(v.number));
    }
    return Commit(std::move(next));
}

bool IniFileStore::Write(const char* section, const char* key, const std::string& raw) {
    if (!Storable(section, key)) return false;
    std::vector<Section> next = sections_;
    Put(next, section, key, raw);
    return Commit(std::move(next));
}

void IniFileStore::Put(std::vector<Section>& sections, const std::string& section,
                       const std::string& key, const std::string& raw) {
    Section* target = nullptr;
    for (Section& s : sections) {
        if (SameName(s.name, section)) target = &s;
    }
    if (target == nullptr) {
        sections.push_back(Section{section, {}});
        target = &sections.back();
    }
    for (Entry& e : target->entries) {
        if (SameName(e.key, key)) {
            e.raw = raw;
            return;
        }
    }
    target->entries.push_back(Entry{key, raw});
}

std::string IniFileStore::Serialize(const std::vector<Section>& sections) const {
    std::string out;
    for (const Section& s : sections) {
        if (!out.empty()) out += '\n';
        out += '[' + s.name + "]\n";
        for (const Entry& e : s.entries) out += e.key + '=' + e.raw + '\n';
    }
    return out;
}

bool IniFileStore::Commit(std::vector<Section> next) {
    const std::string text = Serialize(next);
    // The totals are stored every few seconds whether or not they moved: a file that would
    // come out the same is not rewritten, and the disk is left to sleep.
    if (written_ && text == writtenText_) return true;
    // A file that could not be read is left alone: this run keeps its values in memory only,
    // as the user was told.
    if (loadProblem_.empty()) {
        if (!settings_file::ReplaceDurably(path_, text)) return false;
        written_ = true;
        writtenText_ = text;
    }
    sections_ = std::move(next);
    return true;
}

std::string DefaultIniStorePath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string folder;
    if (config != nullptr && config[0] == '/') {
        folder = config;
    } else {
        const char* home = std::getenv("HOME");
        folder = std::string(home != nullptr ? home : "") + "/.config";
    }
    return folder + "/ZKV/Tavrel.conf";
}

}  // namespace tavrel
