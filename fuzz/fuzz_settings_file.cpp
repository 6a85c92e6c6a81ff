// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file as anything could have left it: the store reads what it can, and after
// it has written the file again a fresh store reads the same values; a text goes through
// its written form and back unchanged.
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "fuzz_check.h"
#include "tavrel/ini_file_store.h"

using tavrel::IniFileStore;

namespace {

// A folder of this run's own, on a memory file system where there is one: every input
// rewrites the file durably.
std::string Folder() {
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    const std::string folder =
        std::string(base) + "/tavrel-fuzz-settings-" + std::to_string(getpid());
    mkdir(folder.c_str(), 0700);
    return folder;
}

void WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    FUZZ_CHECK(f != nullptr);
    if (size > 0) FUZZ_CHECK(std::fwrite(data, 1, size, f) == size);
    std::fclose(f);
}

// The sections and names the text mentions: what a store that read it may hold.
std::vector<std::pair<std::string, std::string>> Names(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> names;
    std::string section;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line[0] == '[' && line.find(']') != std::string::npos) {
            section = line.substr(1, line.find(']') - 1);
        } else if (line.find('=') != std::string::npos) {
            names.emplace_back(section, line.substr(0, line.find('=')));
        }
    }
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string folder = Folder();
    const std::string path = folder + "/Tavrel.conf";
    WriteFile(path, data, size);
    const std::string text(reinterpret_cast<const char*>(data), size);

    // A text of any bytes through its written form.
    bool isText = false;
    std::int32_t number = 0;
    std::string back;
    FUZZ_CHECK(IniFileStore::ParseValue(IniFileStore::FormatText(text), isText, number, back));
    FUZZ_CHECK(isText && back == text);

    IniFileStore first(path);
    FUZZ_CHECK(first.LoadProblem().empty());
    const auto names = Names(text);
    // Rewrites the file: everything it read goes back in the store's own form.
    FUZZ_CHECK(first.WriteString("Fuzz", "Whole", text.c_str()));
    IniFileStore second(path);
    FUZZ_CHECK(second.ReadString("Fuzz", "Whole", "") == std::string(text.c_str()));
    for (const auto& [section, key] : names) {
        const char* s = section.c_str();
        const char* k = key.c_str();
        FUZZ_CHECK(first.ReadInt(s, k, -7) == second.ReadInt(s, k, -7));
        FUZZ_CHECK(first.ReadString(s, k, "\x01") == second.ReadString(s, k, "\x01"));
    }
    unlink(path.c_str());
    return 0;
}
