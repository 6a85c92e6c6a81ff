// SPDX-License-Identifier: GPL-3.0-or-later
// Sharing the usage history through a folder the user keeps in sync between computers: the
// setting, this computer's id and name, the copy into the folder, and the one notice while it
// cannot be written. The local history is written as ever; the shared folder gets a copy.
#pragma once

#include <filesystem>
#include <string>

#include "tavrel/diagnostics_log.h"
#include "tavrel/failure_notice.h"
#include "tavrel/history_query.h"
#include "tavrel/main_window.h"
#include "tavrel/sample.h"
#include "tavrel/settings_store.h"
#include "tavrel/shared_history_mirror.h"

namespace tavrel {

// Section "Main" of the settings store: the shared folder (UTF-8; empty or absent: nothing is
// shared), this computer's id there, made once, and the name it goes by there (absent: the
// system's name for the computer).
constexpr char kSharedFolderKey[] = "SharedFolder";
constexpr char kComputerIdKey[] = "ComputerId";
constexpr char kComputerNameKey[] = "ComputerName";

// Asks the user for a folder: the desktop's own folder chooser.
class FolderChooser {
  public:
    // Opens at `start` (may be empty). False when the user cancelled.
    virtual bool ChooseFolder(const std::filesystem::path& start,
                              std::filesystem::path& chosen) = 0;

  protected:
    ~FolderChooser() = default;
};

class SharedHistory final : public SampleListener {
  public:
    // Starts copying into the folder the settings name. All outlive it; `wake` and `log` may
    // be null.
    SharedHistory(SettingsStore& store, FailureNotice& notice, std::filesystem::path localFolder,
                  const std::string& hostName, WakeTarget* wake, DiagnosticsLog* log);

    // The folder the user chose; empty stops the sharing. False, and nothing changes, when the
    // setting cannot be stored.
    bool Share(const std::filesystem::path& folder);
    // "Share history...": with nothing shared, the chooser; while shared, first whether to
    // choose another folder or to stop. Says what was done, or that it could not be stored.
    void ChooseFolder(FolderChooser& chooser, MessageBoxes& boxes);
    const std::filesystem::path& folder() const { return mirror_.target().folder; }
    // Where a History window reads.
    HistoryPlaces Places() const;
    SharedFolderState state() const { return mirror_.state(); }
    // The local files grew: the new minutes are copied.
    void LocalFilesGrew() { mirror_.Poke(); }
    // The other computers' minutes of a day, read after each copy (see SharedHistoryMirror).
    void SetDay(const LocalDate& day) { mirror_.SetDay(day); }
    bool TakeOthersDay(std::uint64_t& seen, DayMinutes& day) const {
        return mirror_.TakeOthersDay(seen, day);
    }

    // Tells a failure to write to the folder once, until a copy succeeds again.
    void OnSample(const Sample& sample) override;
    bool Settled() const override;
    // Gives the last minutes a moment to reach the folder.
    void OnSessionEnd(SessionEnd how) override;

  private:
    SharedTarget TargetFor(const std::filesystem::path& folder);
    void Tell();

    SettingsStore& store_;
    FailureNotice& notice_;
    DiagnosticsLog* log_;
    std::filesystem::path localFolder_;
    std::string name_;
    std::string id_;  // made when first needed
    SharedHistoryMirror mirror_;
    bool told_ = false;  // the failure shown, until a copy succeeds
    std::string text_;
};

}  // namespace tavrel
