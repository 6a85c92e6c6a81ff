// A window system in memory: records what the program asks of it, keeps the window's
// visibility, the tray record, the fields and buttons, and a clock stepped by the test.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "tavrel/monitor_dialog.h"

namespace tavrel::testing {

class FakeMonitorHost final : public MonitorHost {
  public:
    FakeMonitorHost();

    // The clock; ticks read it.
    void Advance(int ms);
    SystemTime now{};
    // What the next TakeActivity hands out; cleared once taken, as the library does.
    MDTAG pending{};

    std::vector<std::string> calls;
    bool visible = true;
    bool timerRunning = false;
    bool timerFails = false;
    bool trayShown = false;
    TrayIcon trayIcon = TrayIcon::Level0;
    std::string trayTip;
    std::map<int, std::string> texts;  // field, read-out and button captions
    std::map<int, bool> checked;
    bool saveEnabled = true;
    Answer answer = Answer::Yes;
    std::vector<std::string> messages;

    // Calls whose name starts with prefix, in order.
    std::vector<std::string> CallsStartingWith(const std::string& prefix) const;

    SystemTime Now() override { return now; }
    void TakeActivity(MDTAG& record) override;
    void RaiseWindow() override;
    void HideWindowToBottom() override;
    void FlashCaption(bool invert) override;
    void SetTrayIcon(TrayIcon icon) override;
    void SetReadout(int controlId, const char* text) override;
    void ShowMessage(const char* text) override;
    void GetFieldText(int controlId, char* buffer, int size) override;
    void SetFieldInt(int controlId, std::int32_t value) override;
    void SetRadioChecked(int controlId, bool isChecked) override;
    void SetSaveEnabled(bool enabled) override;
    Answer AskYesNoCancel(const char* text) override;
    void AddAboutMenuItem() override { calls.push_back("about-menu"); }
    void LoadIcons() override { calls.push_back("load-icons"); }
    void LoadHookLibrary() override { calls.push_back("load-library"); }
    void FreeHookLibrary() override { calls.push_back("free-library"); }
    void InitHooks() override { calls.push_back("init-hooks"); }
    void KillHooks() override { calls.push_back("kill-hooks"); }
    std::int32_t ScreenWidth() override { return 1024; }
    bool StartTimer() override;
    void StopTimer() override;
    void FillTrayRecord(TrayIcon icon, const char* tip) override;
    void SetTrayTip(const char* tip) override { trayTip = tip; }
    void Tray(TrayCommand command) override;
    void EndDialog() override { calls.push_back("end-dialog"); }
};

}  // namespace tavrel::testing
