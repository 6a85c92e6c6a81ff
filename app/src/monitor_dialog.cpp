#include "tavrel/monitor_dialog.h"

#include <cstdio>
#include <cstring>

namespace tavrel {

namespace {
constexpr char kMain[] = "Main";
constexpr char kWriteFailed[] = "Can't write to INI file?";
}  // namespace

MonitorDialog::MonitorDialog(MonitorHost& host, SettingsStore& store)
    : host_(host),
      store_(store),
      model_(),
      settings_(host, store, model_),
      tick_(host, model_, flags_, store) {}

MonitorDialog::~MonitorDialog() {
    // Whatever ended the modal run, the tray icon must not outlive the program.
    if (trayAdded_) host_.Tray(TrayCommand::Delete);
}

void MonitorDialog::OnInitDialog() {
    host_.AddAboutMenuItem();
    flags_.raisedByAlarm = 0;
    host_.LoadIcons();
    host_.LoadHookLibrary();
    host_.InitHooks();

    const std::int32_t distance = store_.ReadInt(kMain, "Distance", 0);
    const std::int32_t keys = store_.ReadInt(kMain, "TotalKeys", 0);
    model_.ResetPain();
    model_.totalDistance = distance;
    model_.totalKeys = keys;
    model_.screenWidth = static_cast<float>(host_.ScreenWidth());

    settings_.SelectStoredSet();

    host_.FillTrayRecord(TrayIcon::Level0, "Tavrel");
    if (!host_.StartTimer()) static_cast<TickHost&>(host_).ShowMessage("Can't start Timer");
    host_.Tray(TrayCommand::Add);
    trayAdded_ = true;
    flags_.hiddenByUser = 0;
    flags_.hiddenUndisturbed = 0;
}

void MonitorDialog::HideToTray() {
    host_.Tray(TrayCommand::Modify);
    host_.HideWindowToBottom();
    flags_.hiddenByUser = 1;
    flags_.hiddenUndisturbed = 1;
}

void MonitorDialog::RefreshTrayTip() {
    char tip[32];
    std::snprintf(tip, sizeof tip, "Tavrel : %d", static_cast<int>(TruncToInt32(model_.pain)));
    host_.SetTrayTip(tip);
    host_.Tray(TrayCommand::Modify);
}

void MonitorDialog::OnTrayNotify(int mouseMessage) {
    RefreshTrayTip();
    if (mouseMessage == kTrayLeftDoubleClick) {
        host_.RaiseWindow();
        flags_.hiddenByUser = 0;
        flags_.hiddenUndisturbed = 0;
        tick_.RefreshReadouts();
    }
}

bool MonitorDialog::OnQuit() {
    if (settings_.QuerySaveSettings() == 0) return false;
    // Keep what the totals gained since the last periodic save.
    const bool distanceSaved = store_.WriteInt(kMain, "Distance", model_.totalDistance);
    const bool keysSaved = store_.WriteInt(kMain, "TotalKeys", model_.totalKeys);
    if (!distanceSaved || !keysSaved) static_cast<TickHost&>(host_).ShowMessage(kWriteFailed);
    host_.StopTimer();
    host_.Tray(TrayCommand::Delete);
    trayAdded_ = false;
    host_.KillHooks();
    host_.FreeHookLibrary();
    host_.EndDialog();
    return true;
}

void MonitorDialog::OnDebugInfo() {
    char caption[64] = {};
    host_.GetFieldText(kDebugInfoButton, caption, sizeof caption);
    const bool wasShow = std::strcmp(caption, kShowDebugInfo) == 0;
    // The panel itself stays visible either way; only the caption alternates.
    host_.SetReadout(kDebugInfoButton, wasShow ? kHideDebugInfo : kShowDebugInfo);
}

}  // namespace tavrel
