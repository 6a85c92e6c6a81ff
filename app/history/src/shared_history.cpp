// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/shared_history.h"

#include <chrono>
#include <utility>

#include "tavrel/shared_history_folder.h"

namespace tavrel {

namespace fs = std::filesystem;

namespace {

constexpr char kMainSection[] = "Main";
// How long the end of the session waits for the last minutes to reach the shared folder.
constexpr std::chrono::seconds kLastCopyWait(2);

bool Failing(SharedFolderState state) {
    return state != SharedFolderState::Off && state != SharedFolderState::Ok;
}

}  // namespace

SharedHistory::SharedHistory(SettingsStore& store, FailureNotice& notice, fs::path localFolder,
                             const std::string& hostName, WakeTarget* wake, DiagnosticsLog* log)
    : store_(store),
      notice_(notice),
      log_(log),
      localFolder_(localFolder),
      mirror_(std::move(localFolder), wake) {
    name_ = CleanComputerName(store_.ReadString(kMainSection, kComputerNameKey, nullptr));
    if (name_.empty()) name_ = CleanComputerName(hostName);
    if (name_.empty()) name_ = "This computer";
    const std::string folder = store_.ReadString(kMainSection, kSharedFolderKey, nullptr);
    if (!folder.empty()) mirror_.SetTarget(TargetFor(fs::u8path(folder)));
}

SharedTarget SharedHistory::TargetFor(const fs::path& folder) {
    if (folder.empty()) return {};
    if (id_.empty()) {
        id_ = store_.ReadString(kMainSection, kComputerIdKey, nullptr);
        if (!IsComputerId(id_)) {
            id_ = NewComputerId();
            // Kept for the next start; should the store refuse, this run still has one.
            store_.WriteString(kMainSection, kComputerIdKey, id_.c_str());
        }
    }
    return {folder, id_, name_};
}

bool SharedHistory::Share(const fs::path& folder) {
    if (!store_.WriteString(kMainSection, kSharedFolderKey, folder.u8string().c_str())) {
        return false;
    }
    told_ = false;
    mirror_.SetTarget(TargetFor(folder));
    return true;
}

void SharedHistory::ChooseFolder(FolderChooser& chooser, MessageBoxes& boxes) {
    const fs::path current = folder();
    fs::path chosen;
    if (!current.empty()) {
        const std::string question = "The usage history is shared through the folder " +
                                     current.u8string() +
                                     ".\n\nYes: choose another folder. No: stop sharing. "
                                     "Cancel: leave it as it is.";
        const Answer answer = boxes.AskYesNoCancel(question.c_str());
        if (answer != Answer::Yes && answer != Answer::No) return;
        if (answer == Answer::Yes && !chooser.ChooseFolder(current, chosen)) return;
    } else if (!chooser.ChooseFolder(localFolder_.parent_path(), chosen)) {
        return;
    }
    if (!Share(chosen)) {
        boxes.ShowMessage(kWriteFailedText);
        return;
    }
    const std::string done =
        chosen.empty()
            ? "Tavrel no longer copies this computer's usage history into " + current.u8string() +
                  ". What it copied there stays."
            : "Tavrel now keeps a copy of this computer's usage history in " + chosen.u8string() +
                  ", and the History window shows the history of every computer that shares the "
                  "folder. Keep the folder in sync between your computers with a sync program or "
                  "a cloud drive.";
    boxes.ShowMessage(done.c_str());
}

HistoryPlaces SharedHistory::Places() const {
    const SharedTarget& target = mirror_.target();
    return {localFolder_, target.folder, target.computerId, name_};
}

void SharedHistory::OnSample(const Sample&) {
    const SharedFolderState state = mirror_.state();
    if (!Failing(state)) {
        told_ = false;
        return;
    }
    if (!told_ && !notice_.open()) Tell();
}

void SharedHistory::Tell() {
    told_ = true;
    text_ = SharedFolderWriteText(folder(), mirror_.state());
    if (log_ != nullptr) log_->Note("shared-history-failed", text_);
    notice_.Report(text_.c_str());
}

bool SharedHistory::Settled() const {
    return told_ || !Failing(mirror_.state());
}

void SharedHistory::OnSessionEnd(SessionEnd) {
    mirror_.Poke();
    mirror_.Flush(kLastCopyWait);
}

}  // namespace tavrel
