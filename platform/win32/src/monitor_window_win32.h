// The main window on Win32: the dialog, its message table, and the window-system
// operations that the platform-free MonitorDialog asks for.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include "framework_win32.h"
#include "tavrel/monitor_dialog.h"

namespace tavrel::win32 {

// The tray icon reports through a message of the program's own, so that a real mouse
// move over the window can never pass for a tray event.
constexpr UINT kTrayMessage = WM_APP + 1;
constexpr UINT kTimerId = 10;
constexpr UINT kTimerPeriodMs = 50;

// The notification-area record; removed at the latest when the owner goes.
class NotifyIcon {
  public:
    NotifyIcon();
    ~NotifyIcon() { Send(NIM_DELETE); }
    NotifyIcon(const NotifyIcon&) = delete;
    NotifyIcon& operator=(const NotifyIcon&) = delete;
    void Fill(HWND owner, HICON icon, const char* tip);
    void SetIcon(HICON icon) { data_.hIcon = icon; }
    void SetTip(const char* tip);
    void Send(DWORD command);

  private:
    NOTIFYICONDATAA data_;
    bool added_ = false;
};

// The About box: a template and nothing else; OK, Esc and the close box end it.
class AboutDialog final : public DialogBase {
  public:
    AboutDialog();
};

class MonitorDialogWindow final : public DialogBase, public MonitorHost {
  public:
    MonitorDialogWindow(HWND parent, SettingsStore& store);

    // TickHost
    SystemTime Now() override;
    void TakeActivity(MDTAG& record) override;
    void RaiseWindow() override;
    void HideWindowToBottom() override;
    void FlashCaption(bool invert) override;
    void SetTrayIcon(TrayIcon icon) override;
    void SetReadout(int controlId, const char* text) override;
    void ShowMessage(const char* text) override;
    // SettingsView
    void GetFieldText(int controlId, char* buffer, int size) override;
    void SetFieldInt(int controlId, std::int32_t value) override;
    void SetRadioChecked(int controlId, bool checked) override;
    void SetSaveEnabled(bool enabled) override;
    Answer AskYesNoCancel(const char* text) override;
    // MonitorHost
    void AddAboutMenuItem() override;
    void LoadIcons() override;
    void LoadHookLibrary() override;
    void FreeHookLibrary() override;
    void InitHooks() override;
    void KillHooks() override;
    std::int32_t ScreenWidth() override;
    bool StartTimer() override;
    void StopTimer() override;
    void FillTrayRecord(TrayIcon icon, const char* tip) override;
    void SetTrayTip(const char* tip) override;
    void Tray(TrayCommand command) override;
    void EndDialog() override { DialogBase::OnOK(); }

  protected:
    MessageTable GetMessageTable() const override;
    BOOL OnInitDialog() override;
    void DoDataExchange() override;
    void OnCancel() override { dialog_.OnCancel(); }

  private:
    void OnSysCommand(unsigned id);
    void OnPaint();
    HICON OnQueryDragIcon() { return appIcon_; }
    void OnTimer() { dialog_.OnTimer(); }
    void OnTrayMessage(int mouseMessage, int);
    void OnDebugInfo() { dialog_.OnDebugInfo(); }
    void OnQuit() { dialog_.OnQuit(); }
    void OnReset() { dialog_.settings().OnReset(); }
    void OnSave() { dialog_.settings().SaveSettings(); }
    void OnPainfulSet() { dialog_.settings().OnPainfulSet(); }
    void OnNormalSet() { dialog_.settings().OnNormalSet(); }
    void OnSettingKillFocus(unsigned controlId) {
        dialog_.settings().CommitSettingField(controlId);
    }
    HICON IconFor(TrayIcon icon) const;

    HWND parent_;
    HWND saveButton_ = nullptr;
    HWND normalRadio_ = nullptr;
    HWND painfulRadio_ = nullptr;
    HICON appIcon_;
    OwnedIcon levelIcons_[6];
    OwnedIcon alarmIcons_[2];
    LoadedModule hookLibrary_;
    NotifyIcon trayIcon_;
    MonitorDialog dialog_;
};

}  // namespace tavrel::win32
