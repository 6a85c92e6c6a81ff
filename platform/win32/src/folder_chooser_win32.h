// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's folder chooser (the common item dialog, picking folders), for "Share
// history...".
#pragma once

#include <windows.h>

#include "tavrel/shared_history.h"

namespace tavrel::win32 {

class FolderChooserWin32 final : public FolderChooser {
  public:
    explicit FolderChooserWin32(HWND owner) : owner_(owner) {}
    bool ChooseFolder(const std::filesystem::path& start, std::filesystem::path& chosen) override;

  private:
    HWND owner_;
};

}  // namespace tavrel::win32
