// SPDX-License-Identifier: GPL-3.0-or-later
// Keeps a copy of this computer's month files in its folder of a shared folder, so that the
// user's other computers read them. The local history stays the record: the copy only ever
// takes what the local files hold, so whatever could not be copied while the shared folder
// was away is copied once it is back, even after a restart.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

#include "tavrel/history_files.h"
#include "tavrel/shared_history_texts.h"

namespace tavrel {

struct SharedTarget {
    std::filesystem::path folder;  // the shared folder; empty: nothing is shared
    std::string computerId;
    std::string computerName;

    friend bool operator==(const SharedTarget& a, const SharedTarget& b) {
        return a.folder == b.folder && a.computerId == b.computerId &&
               a.computerName == b.computerName;
    }
};

// What a copy knows of the files it made, between its passes.
struct SharedCopyMemo {
    // Per month: the size up to which the copy is known to hold the local file's bytes.
    std::map<HistoryMonth, std::uintmax_t> copied;
    bool nameWritten = false;
};

// One pass: creates <folder>/<id>/ (never the shared folder itself: a missing one may be a
// drive not connected), writes computer.txt when it differs, and brings each month file up
// to its local one: the bytes it lacks appended, or, when it no longer matches, replaced
// whole. Forget `memo` when the target changes.
SharedFolderState CopyHistory(const std::filesystem::path& local, const SharedTarget& target,
                              SharedCopyMemo& memo);

}  // namespace tavrel
