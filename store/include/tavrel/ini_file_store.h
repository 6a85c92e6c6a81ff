// SPDX-License-Identifier: GPL-3.0-or-later
// A settings store kept in one INI file: the desktops that have no registry keep it in the
// user's configuration folder. Plain C++17, no toolkit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tavrel/settings_store.h"

namespace tavrel {

// The file, as written:
//
//   [Main]
//   Distance=12345
//   Set=Good
//
// An integer is its decimal text. A text is written as it is, unless it would read back as
// something else (an integer, blanks at either end, a leading quote, control characters):
// then it is quoted, with \" \\ \n \r \t and \xHH escapes. Names ignore letter case and keep
// the spelling of their first write. Lines that are not a section, a key=value pair or a
// value of a known form are skipped; comments do not survive a write.
//
// The file is read once, when the object is made. A UTF-8 byte-order mark before it and a CR
// before each line's end are skipped; a line whose names or unquoted value hold a control
// character is skipped alone. A file that exists but cannot be read is never written: the
// store then starts empty, keeps its writes in memory and says why in LoadProblem.
//
// Every write rewrites the whole file durably: a temporary file in the folder of the file's
// target (through symlinks, which stay), flushed to the disk with the old file's mode, renamed
// over the old one, then the folder flushed; a crash leaves the old file or the new one and
// never half of either. The folder is made when missing. A write that cannot reach the disk
// returns false and changes nothing, in memory or on disk. A write that would leave the file
// as this store last wrote it (the totals stored again unchanged) succeeds without touching
// the disk.
class IniFileStore : public SettingsStore {
  public:
    explicit IniFileStore(std::string path);

    std::int32_t ReadInt(const char* section, const char* key, std::int32_t def) override;
    std::string ReadString(const char* section, const char* key, const char* def) override;
    bool WriteInt(const char* section, const char* key, std::int32_t value) override;
    bool WriteString(const char* section, const char* key, const char* value) override;
    bool WriteBatch(const std::vector<StoreValue>& values) override;
    std::string LoadProblem() const override { return loadProblem_; }

    const std::string& path() const { return path_; }

    // The text of one value as it appears after "key=", and the reverse. Exposed for tests.
    static std::string FormatInt(std::int32_t value);
    static std::string FormatText(const std::string& text);
    // Sets isText and the matching one of number and text; false for a value that is
    // neither (a quoted text with a broken escape or no closing quote).
    static bool ParseValue(const std::string& raw, bool& isText, std::int32_t& number,
                           std::string& text);

  private:
    struct Entry {
        std::string key;
        std::string raw;  // as written after '='
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };

    void Load();
    void LoadLine(const std::string& line, Section*& current);
    bool Write(const char* section, const char* key, const std::string& raw);
    static void Put(std::vector<Section>& sections, const std::string& section,
                    const std::string& key, const std::string& raw);
    const Entry* Find(const char* section, const char* key) const;
    std::string Serialize(const std::vector<Section>& sections) const;
    bool Commit(std::vector<Section> next);

    std::string path_;
    std::vector<Section> sections_;  // in the order of the file, then of first writes
    std::string loadProblem_;
    // What this run last put into the file: a write that would give the same text again
    // changes nothing and is skipped.
    bool written_ = false;
    std::string writtenText_;
};

// $XDG_CONFIG_HOME/ZKV/Tavrel.conf, or ~/.config/ZKV/Tavrel.conf when XDG_CONFIG_HOME is
// unset, empty or not absolute.
std::string DefaultIniStorePath();

}  // namespace tavrel
