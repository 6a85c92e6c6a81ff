// SPDX-License-Identifier: GPL-3.0-or-later
// A folder the user keeps in sync between computers with any sync engine. Each computer writes
// only its own month files, under <folder>/<computer id>/, with computer.txt beside them naming
// it as the user sees it; every computer reads them all. A sync engine's own files (markers,
// partial files, conflict copies) never have the documented names and are never read.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace tavrel {

constexpr char kComputerNameFile[] = "computer.txt";
constexpr std::size_t kComputerIdLength = 16;
constexpr std::size_t kMaxComputerNameLength = 64;  // bytes of UTF-8

// Sixteen digits and lowercase letters a to f: a computer's folder in the shared folder.
bool IsComputerId(std::string_view name);
// The id of 64 random bits, and one made from the system's random source.
std::string ComputerIdOf(std::uint64_t bits);
std::string NewComputerId();

// A name fit for computer.txt and the window: the first line, control characters as spaces,
// no spaces at either end, at most kMaxComputerNameLength bytes cut at a character's start.
std::string CleanComputerName(std::string_view text);

struct SharedComputer {
    std::string id;
    std::string name;  // from its computer.txt; the id when that is missing or empty
    std::filesystem::path folder;
};

// The computers with a folder in `shared`, ordered by name, leaving out `ownId`. False, with
// the error, when the shared folder cannot be listed (missing, or on a drive that is gone).
// Without `withNames` their names are their ids and no computer.txt is read: for a reader
// of their minutes only, which comes every minute.
bool FindSharedComputers(const std::filesystem::path& shared, const std::string& ownId,
                         std::vector<SharedComputer>& computers, std::error_code& error,
                         bool withNames = true);

// Reads a small text file whole; false when it is absent or cannot be read.
bool ReadSmallFile(const std::filesystem::path& path, std::string& text);

}  // namespace tavrel
