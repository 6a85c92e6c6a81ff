// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/shared_history_texts.h"

namespace tavrel {

SharedFolderState StateOfError(const std::error_code& error) {
    if (!error) return SharedFolderState::Ok;
    if (error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory) {
        return SharedFolderState::Missing;
    }
    if (error == std::errc::permission_denied || error == std::errc::read_only_file_system ||
        error == std::errc::operation_not_permitted) {
        return SharedFolderState::Denied;
    }
    return SharedFolderState::Unreachable;
}

std::string SharedFolderWriteText(const std::filesystem::path& folder, SharedFolderState state) {
    const char* why = state == SharedFolderState::Missing  ? "the folder is not there"
                      : state == SharedFolderState::Denied ? "Tavrel may not write there"
                                                           : "writing there failed";
    if (state == SharedFolderState::Off || state == SharedFolderState::Ok) return {};
    return "Can't write the usage history to the shared folder " + folder.u8string() + ": " + why +
           ". Tavrel keeps it on this computer and copies it there once the folder can be "
           "written again.";
}

std::string SharedFolderReadText(const std::filesystem::path& folder,
                                 const std::error_code& error) {
    const SharedFolderState state = StateOfError(error);
    const char* why = state == SharedFolderState::Missing  ? "the folder is not there"
                      : state == SharedFolderState::Denied ? "Tavrel may not read it"
                                                           : "reading it failed";
    return "Can't read the shared folder " + folder.u8string() + ": " + why +
           ". This computer's history is shown alone.";
}

}  // namespace tavrel
