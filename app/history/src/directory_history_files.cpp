// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/directory_history_files.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <system_error>
#include <utility>

namespace tavrel {

namespace fs = std::filesystem;

namespace {
constexpr auto kAppendMode = std::ios::in | std::ios::out | std::ios::app | std::ios::binary;
}  // namespace

fs::path XdgHistoryFolder(const char* xdgDataHome, const char* home) {
    fs::path base;
    // Absolute in the POSIX sense the variable is defined in, whatever the host.
    if (xdgDataHome != nullptr && xdgDataHome[0] == '/') {
        base = xdgDataHome;
    } else {
        base = fs::path(home != nullptr ? home : "") / ".local" / "share";
    }
    return base / "tavrel" / "history";
}

DirectoryHistoryFiles::DirectoryHistoryFiles(fs::path folder) : folder_(std::move(folder)) {}

std::size_t DirectoryHistoryFiles::Append(const HistoryMonth& month, std::string_view lines) {
    const fs::path path = folder_ / MonthFileName(month);
    std::filebuf file;
    // Unbuffered: each write goes straight to the file and says how much of it got there,
    // so that a write that fails part-way is repeated from the first unwritten line.
    file.pubsetbuf(nullptr, 0);
    if (file.open(path, kAppendMode) == nullptr) {
        std::error_code ignored;
        fs::create_directories(folder_, ignored);
        if (file.open(path, kAppendMode) == nullptr) return 0;
    }
    const auto size = file.pubseekoff(0, std::ios::end, std::ios::in);
    if (size < 0) return 0;
    char last = '\n';
    if (size > 0) {
        file.pubseekoff(-1, std::ios::end, std::ios::in);
        last = static_cast<char>(file.sgetc());
        file.pubseekoff(0, std::ios::end, std::ios::in);  // switches the stream to writing
    }
    const std::string_view lead = AppendLead(static_cast<std::uintmax_t>(size), last);
    if (!lead.empty()) {
        const auto leadWritten = file.sputn(lead.data(), static_cast<std::streamsize>(lead.size()));
        if (leadWritten != static_cast<std::streamsize>(lead.size())) return 0;
    }
    const auto written = file.sputn(lines.data(), static_cast<std::streamsize>(lines.size()));
    file.close();
    return written > 0 ? static_cast<std::size_t>(written) : 0;
}

bool DirectoryHistoryFiles::Read(const HistoryMonth& month, std::string& text) {
    return ReadTail(month, SIZE_MAX, text);
}

bool DirectoryHistoryFiles::ReadTail(const HistoryMonth& month, std::size_t bytes,
                                     std::string& text) {
    text.clear();
    const fs::path path = folder_ / MonthFileName(month);
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    std::filebuf file;
    if (error || file.open(path, std::ios::in | std::ios::binary) == nullptr) return false;
    const std::uintmax_t start = size > bytes ? size - bytes : 0;
    if (file.pubseekoff(static_cast<std::streamoff>(start), std::ios::beg, std::ios::in) < 0) {
        return false;
    }
    text.resize(static_cast<std::size_t>(size - start));
    const auto got = file.sgetn(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return true;
}

std::vector<HistoryMonth> DirectoryHistoryFiles::ListMonths() {
    std::vector<HistoryMonth> months;
    std::error_code error;
    for (fs::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error)) {
        HistoryMonth month;
        if (ParseMonthFileName(it->path().filename().u8string(), month)) months.push_back(month);
    }
    std::sort(months.begin(), months.end());
    return months;
}

}  // namespace tavrel
