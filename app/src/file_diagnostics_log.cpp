// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/diagnostics_log.h"

#include <cstdio>
#include <fstream>
#include <system_error>
#include <utility>

namespace tavrel {

namespace fs = std::filesystem;

namespace {

// One line whatever the words hold: a line break or other control character in them would
// forge or split a line.
std::string OneLine(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        out += (u < 0x20 || u == 0x7f) ? ' ' : c;
    }
    return out;
}

}  // namespace

FileDiagnosticsLog::FileDiagnosticsLog(Clock& clock, fs::path file, std::uintmax_t limit)
    : clock_(clock), file_(std::move(file)), limit_(limit) {}

void FileDiagnosticsLog::Note(const char* event, const std::string& words) {
    const SystemTime t = clock_.LocalNow().time;
    char stamp[48];  // room for any field values, though a clock gives 19 characters
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    const std::string line = std::string(stamp) + " " + OneLine(event != nullptr ? event : "") +
                             " " + OneLine(words) + "\n";
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(file_, ec);
    if (!ec && size + line.size() > limit_) {
        fs::path older = file_;
        older += ".1";
        fs::rename(file_, older, ec);
    }
    fs::create_directories(file_.parent_path(), ec);
    std::ofstream out(file_, std::ios::binary | std::ios::app);
    out << line;
}

fs::path XdgDiagnosticsLogPath(const char* xdgStateHome, const char* home) {
    fs::path base;
    // Absolute in the POSIX sense the variable is defined in, whatever the host.
    if (xdgStateHome != nullptr && xdgStateHome[0] == '/') {
        base = xdgStateHome;
    } else {
        base = fs::path(home != nullptr ? home : "") / ".local" / "state";
    }
    return base / "tavrel" / "tavrel.log";
}

}  // namespace tavrel
