// SPDX-License-Identifier: GPL-3.0-or-later
// What the user is told of a shared folder that cannot be used, in plain words.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

namespace tavrel {

enum class SharedFolderState {
    Off,          // nothing is shared
    Ok,           // written, or nothing to write
    Missing,      // the folder is not there (a drive not connected, a folder moved away)
    Denied,       // no right to write there, or a read-only drive
    Unreachable,  // any other failure: a network drive that does not answer, a full disk
};

SharedFolderState StateOfError(const std::error_code& error);

// For a failure to write this computer's minutes there; empty for Off and Ok.
std::string SharedFolderWriteText(const std::filesystem::path& folder, SharedFolderState state);
// For a failure to list the other computers' folders.
std::string SharedFolderReadText(const std::filesystem::path& folder, const std::error_code& error);

}  // namespace tavrel
