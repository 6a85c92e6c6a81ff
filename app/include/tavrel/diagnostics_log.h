// SPDX-License-Identifier: GPL-3.0-or-later
// A short record of what goes wrong without anyone watching: a history write dropped, the
// capture lost or back, a settings file skipped. One line per event; never any input data.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "tavrel/clock.h"

namespace tavrel {

class DiagnosticsLog {
  public:
    // event: one word naming what happened; words: what it means, in plain words.
    virtual void Note(const char* event, const std::string& words) = 0;

  protected:
    ~DiagnosticsLog() = default;
};

// Appends "YYYY-MM-DD hh:mm:ss event words" lines to a file. Once the file would grow past
// the limit it becomes <file>.1 (replacing the one before) and a new one begins, so that the
// two never hold much more than twice the limit. A line that cannot be written is dropped:
// the log must never stop what it records.
class FileDiagnosticsLog final : public DiagnosticsLog {
  public:
    static constexpr std::uintmax_t kDefaultLimit = 64 * 1024;

    FileDiagnosticsLog(Clock& clock, std::filesystem::path file,
                       std::uintmax_t limit = kDefaultLimit);
    void Note(const char* event, const std::string& words) override;

    const std::filesystem::path& file() const { return file_; }

  private:
    Clock& clock_;
    std::filesystem::path file_;
    std::uintmax_t limit_;
};

// $XDG_STATE_HOME/tavrel/tavrel.log, or ~/.local/state/tavrel/tavrel.log when the variable
// is unset, empty or not absolute.
std::filesystem::path XdgDiagnosticsLogPath(const char* xdgStateHome, const char* home);

}  // namespace tavrel
