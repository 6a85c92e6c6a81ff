// The main window's behaviour: start-up, the tray, hiding and raising, Quit, and the
// handlers that reach the sampling tick and the settings sets. Platform-free; the window
// system is reached through MonitorHost.
#pragma once

#include <cstdint>

#include "tavrel/monitor_settings.h"
#include "tavrel/pain_model.h"
#include "tavrel/sampling_tick.h"
#include "tavrel/tick_host.h"
#include "tavrel/settings_store.h"

namespace tavrel {

enum class TrayCommand { Add, Modify, Delete };

// Mouse message numbers that the tray callback reports in its second parameter.
constexpr int kTrayMouseMove = 0x0200;
constexpr int kTrayLeftDoubleClick = 0x0203;

constexpr int kDebugInfoButton = 1003;
constexpr const char kShowDebugInfo[] = "Show Debugging &Info";
constexpr const char kHideDebugInfo[] = "Hide Debugging &Info";

class MonitorHost : public TickHost, public SettingsView {
  public:
    virtual void AddAboutMenuItem() = 0;  // separator and "&About Tavrel..." on the system menu
    virtual void LoadIcons() = 0;         // the eight tray icons, then the window's own icon
    virtual void LoadHookLibrary() = 0;   // an extra load of the hook library, kept until Quit
    virtual void FreeHookLibrary() = 0;
    virtual void InitHooks() = 0;
    virtual void KillHooks() = 0;
    virtual std::int32_t ScreenWidth() = 0;
    virtual bool StartTimer() = 0;  // 50 ms ticks
    virtual void StopTimer() = 0;
    virtual void FillTrayRecord(TrayIcon icon, const char* tip) = 0;
    virtual void SetTrayTip(const char* tip) = 0;
    virtual void Tray(TrayCommand command) = 0;  // with the current record
    virtual void EndDialog() = 0;                // ends the modal run; the program then ends

  protected:
    ~MonitorHost() = default;
};

class MonitorDialog {
  public:
    MonitorDialog(MonitorHost& host, SettingsStore& store);
    ~MonitorDialog();
    MonitorDialog(const MonitorDialog&) = delete;
    MonitorDialog& operator=(const MonitorDialog&) = delete;

    void OnInitDialog();
    void OnTimer() { tick_.Run(); }
    void HideToTray();
    void OnCancel() { HideToTray(); }
    void OnTrayNotify(int mouseMessage);
    // False when the user cancelled at the save prompt and the program goes on.
    bool OnQuit();
    void OnDebugInfo();

    MonitorSettings& settings() { return settings_; }
    PainModel& model() { return model_; }
    const WindowFlags& flags() const { return flags_; }
    const SamplingTick& tick() const { return tick_; }

  private:
    void RefreshTrayTip();

    MonitorHost& host_;
    SettingsStore& store_;
    PainModel model_;
    WindowFlags flags_;
    MonitorSettings settings_;
    SamplingTick tick_;
    bool trayAdded_ = false;
};

}  // namespace tavrel
