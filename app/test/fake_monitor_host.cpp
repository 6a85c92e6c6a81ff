#include "fake_monitor_host.h"

#include <cstring>

namespace tavrel::testing {

FakeMonitorHost::FakeMonitorHost() {
    now = {2026, 12, 1, 7, 10, 0, 0, 0};
    texts[kDebugInfoButton] = kShowDebugInfo;
}

void FakeMonitorHost::Advance(int ms) {
    // Within one hour is all these tests need.
    int total = ((now.minute * 60 + now.second) * 1000 + now.milliseconds) + ms;
    now.milliseconds = static_cast<std::uint16_t>(total % 1000);
    now.second = static_cast<std::uint16_t>(total / 1000 % 60);
    now.minute = static_cast<std::uint16_t>(total / 60000 % 60);
}

std::vector<std::string> FakeMonitorHost::CallsStartingWith(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const std::string& call : calls) {
        if (call.compare(0, prefix.size(), prefix) == 0) out.push_back(call);
    }
    return out;
}

void FakeMonitorHost::TakeActivity(MDTAG& record) {
    record = pending;
    pending = MDTAG{};
}

void FakeMonitorHost::RaiseWindow() {
    calls.push_back("raise");
    visible = true;
}

void FakeMonitorHost::HideWindowToBottom() {
    calls.push_back("hide");
    visible = false;
}

void FakeMonitorHost::FlashCaption(bool invert) {
    calls.push_back(invert ? "flash on" : "flash off");
}

void FakeMonitorHost::SetTrayIcon(TrayIcon icon) {
    calls.push_back("tray-icon " + std::to_string(TrayIconResource(icon)));
    trayIcon = icon;
}

void FakeMonitorHost::SetReadout(int controlId, const char* text) {
    texts[controlId] = text;
}

void FakeMonitorHost::ShowMessage(const char* text) {
    calls.push_back(std::string("message ") + text);
    messages.push_back(text);
}

void FakeMonitorHost::GetFieldText(int controlId, char* buffer, int size) {
    if (size <= 0) return;
    const std::string& text = texts[controlId];
    std::strncpy(buffer, text.c_str(), static_cast<std::size_t>(size) - 1);
    buffer[size - 1] = '\0';
}

void FakeMonitorHost::SetFieldInt(int controlId, std::int32_t value) {
    texts[controlId] = std::to_string(value);
}

void FakeMonitorHost::SetRadioChecked(int controlId, bool isChecked) {
    checked[controlId] = isChecked;
}

void FakeMonitorHost::SetSaveEnabled(bool enabled) {
    saveEnabled = enabled;
}

Answer FakeMonitorHost::AskYesNoCancel(const char* text) {
    calls.push_back(std::string("ask ") + text);
    return answer;
}

bool FakeMonitorHost::StartTimer() {
    calls.push_back("start-timer");
    timerRunning = !timerFails;
    return timerRunning;
}

void FakeMonitorHost::StopTimer() {
    calls.push_back("stop-timer");
    timerRunning = false;
}

void FakeMonitorHost::FillTrayRecord(TrayIcon icon, const char* tip) {
    calls.push_back("tray-fill");
    trayIcon = icon;
    trayTip = tip;
}

void FakeMonitorHost::Tray(TrayCommand command) {
    switch (command) {
        case TrayCommand::Add:
            calls.push_back("tray-add");
            trayShown = true;
            break;
        case TrayCommand::Modify:
            calls.push_back("tray-modify " + trayTip);
            break;
        case TrayCommand::Delete:
            calls.push_back("tray-delete");
            trayShown = false;
            break;
    }
}

}  // namespace tavrel::testing
