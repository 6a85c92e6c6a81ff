// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/shared_history_folder.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <random>

namespace tavrel {

namespace fs = std::filesystem;

bool IsComputerId(std::string_view name) {
    if (name.size() != kComputerIdLength) return false;
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

std::string ComputerIdOf(std::uint64_t bits) {
    static const char kDigits[] = "0123456789abcdef";
    std::string id(kComputerIdLength, '0');
    for (std::size_t i = kComputerIdLength; i-- > 0; bits >>= 4) id[i] = kDigits[bits & 15];
    return id;
}

std::string NewComputerId() {
    std::random_device device;
    // The clock besides, should the random source be a poor one: two computers set up the
    // same day must not share an id.
    const auto now = static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
    std::seed_seq seed{device(),
                       device(),
                       device(),
                       device(),
                       static_cast<unsigned>(now),
                       static_cast<unsigned>(now >> 32)};
    std::mt19937_64 generator(seed);
    return ComputerIdOf(generator());
}

std::string CleanComputerName(std::string_view text) {
    std::string name;
    for (const char c : text) {
        if (c == '\n' || c == '\r') break;
        const auto byte = static_cast<unsigned char>(c);
        name += byte < 0x20 || byte == 0x7F ? ' ' : c;
    }
    const auto first = name.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    name = name.substr(first, name.find_last_not_of(' ') - first + 1);
    if (name.size() > kMaxComputerNameLength) {
        std::size_t cut = kMaxComputerNameLength;
        // Back to the start of a UTF-8 character.
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
        name.resize(cut);
    }
    return name;
}

bool ReadSmallFile(const fs::path& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    char buffer[1024];
    in.read(buffer, sizeof buffer);
    text.assign(buffer, static_cast<std::size_t>(in.gcount()));
    return !in.bad();
}

bool FindSharedComputers(const fs::path& shared, const std::string& ownId,
                         std::vector<SharedComputer>& computers, std::error_code& error,
                         bool withNames) {
    computers.clear();
    error.clear();
    fs::directory_iterator it(shared, error);
    if (error) return false;
    for (const fs::directory_iterator end; it != end; it.increment(error)) {
        if (error) return false;
        const std::string id = it->path().filename().u8string();
        std::error_code ignored;
        if (!IsComputerId(id) || id == ownId || !it->is_directory(ignored)) continue;
        SharedComputer computer{id, {}, it->path()};
        std::string text;
        if (withNames && ReadSmallFile(it->path() / kComputerNameFile, text)) {
            computer.name = CleanComputerName(text);
        }
        if (computer.name.empty()) computer.name = id;
        computers.push_back(std::move(computer));
    }
    std::sort(computers.begin(), computers.end(), [](const auto& a, const auto& b) {
        return a.name != b.name ? a.name < b.name : a.id < b.id;
    });
    return true;
}

}  // namespace tavrel
