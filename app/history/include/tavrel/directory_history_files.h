// SPDX-License-Identifier: GPL-3.0-or-later
// The month files in a folder on disk, in plain C++17: the platform shell names the folder.
#pragma once

#include <filesystem>

#include "tavrel/history_files.h"

namespace tavrel {

// The Linux folder: $XDG_DATA_HOME/tavrel/history, or ~/.local/share/tavrel/history when
// XDG_DATA_HOME is unset, empty or not absolute. Either argument may be null.
std::filesystem::path XdgHistoryFolder(const char* xdgDataHome, const char* home);

class DirectoryHistoryFiles final : public HistoryFiles {
  public:
    // The folder is created with the first append.
    explicit DirectoryHistoryFiles(std::filesystem::path folder);

    std::size_t Append(const HistoryMonth& month, std::string_view lines) override;
    bool Read(const HistoryMonth& month, std::string& text) override;
    bool ReadTail(const HistoryMonth& month, std::size_t bytes, std::string& text) override;
    std::vector<HistoryMonth> ListMonths() override;

    const std::filesystem::path& folder() const { return folder_; }

  private:
    std::filesystem::path folder_;
};

}  // namespace tavrel
