// SPDX-License-Identifier: GPL-3.0-or-later
// A main window in memory: keeps its visibility, read-outs and boxes, and counts every
// effect asked of it.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tavrel/main_window.h"

namespace tavrel::testing {

class FakeMainWindow final : public MainWindow {
  public:
    bool visible = true;
    bool minimized = false;
    bool closed = false;
    int raises = 0, hides = 0, flashesOn = 0, flashesOff = 0;
    int focusTaken = 0;                       // the raises that also took the keyboard
    std::map<Readout, std::string> readouts;  // last text of each
    std::vector<std::pair<Readout, std::string>> readoutLog;
    std::string debugCaption = "Show Debugging &Info";
    std::string captureNotice;
    std::string alarmStatus;
    std::string todayUse;
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::deque<Answer> answers;       // given in order; Cancel once they run out
    std::function<void()> onMessage;  // runs while a box "waits"

    void Raise() override {
        ShowWithoutFocus();
        ++focusTaken;
    }
    void ShowWithoutFocus() override {
        ++raises;
        visible = true;
        minimized = false;
    }
    void HideToBottom() override {
        ++hides;
        visible = false;
    }
    void Minimize() override { minimized = true; }
    void FlashCaption(bool invert) override { ++(invert ? flashesOn : flashesOff); }
    void SetReadout(Readout readout, const char* text) override {
        readoutLog.emplace_back(readout, text);
        readouts[readout] = text;
    }
    void SetDebugInfoCaption(const char* text) override { debugCaption = text; }
    void SetCaptureNotice(const char* text) override { captureNotice = text; }
    void SetAlarmStatus(const char* text) override { alarmStatus = text; }
    void SetTodayUse(const char* text) override { todayUse = text; }
    void Close() override { closed = true; }
    void ShowMessage(const char* text) override {
        messages.emplace_back(text);
        if (onMessage) onMessage();
    }
    Answer AskYesNoCancel(const char* text) override {
        questions.emplace_back(text);
        if (onMessage) onMessage();
        if (answers.empty()) return Answer::Cancel;
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

}  // namespace tavrel::testing
