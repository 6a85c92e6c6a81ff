// SPDX-License-Identifier: GPL-3.0-or-later
// The History window: the day's pain and input, the week's mouse and keyboard hours, or the
// last thirty days, drawn from the month files of this computer or of every computer sharing
// the history; buttons to go from day to day and to open the folder. A plain window made in
// code, one at a time; it reads the files on a worker thread.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "handles_win32.h"
#include "history_loader_win32.h"
#include "tavrel/daily_mouse_limit.h"
#include "tavrel/history_browser.h"

namespace tavrel::win32 {

constexpr wchar_t kHistoryWindowClass[] = L"TavrelHistory";
constexpr wchar_t kHistoryWindowTitle[] = L"Tavrel History";

// The window's controls; the tests find them by these ids.
enum HistoryControl : int {
    kHistoryDayButton = 2001,
    kHistoryThirtyDaysButton = 2002,
    kHistoryPreviousButton = 2003,
    kHistoryNextButton = 2004,
    kHistoryTodayButton = 2005,
    kHistoryOpenFolderButton = 2006,
    kHistoryRangeText = 2007,
    kHistoryTotalsText = 2008,
    kHistoryPlot = 2009,
    kHistoryWeekButton = 2010,
    kHistoryComputerChoice = 2011,
    kHistoryComputersText = 2012,
    kHistoryMouseLimitChoice = 2013,
};

class HistoryWindow {
  public:
    // `places` says where to read, asked at each read: the shared folder may change.
    HistoryWindow(std::function<HistoryPlaces()> places, Clock& clock);
    ~HistoryWindow();
    HistoryWindow(const HistoryWindow&) = delete;
    HistoryWindow& operator=(const HistoryWindow&) = delete;

    // Creates the window, or brings the one there is to the front; either way the files are
    // read afresh, so that the minutes written since show.
    void Open();
    HWND hwnd() const { return hwnd_; }
    // The daily mouse limit the window offers to set (null: none); it outlives the window.
    void SetMouseLimit(DailyMouseLimit* limit) { limit_ = limit; }

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PlotProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // The program's message loop is the main window's modal one, which knows nothing of this
    // window: the filter gives it the keyboard of a dialog (Tab, Alt+letter, Esc).
    static LRESULT CALLBACK KeyboardFilter(int code, WPARAM wParam, LPARAM lParam);
    static bool RegisterClasses(HINSTANCE instance);

    bool Create();
    void CreateControls();
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(int id);
    void OnLoaded(LPARAM lParam);
    void OnDestroy();
    void Layout();
    void OnDpiChanged(UINT dpi, const RECT* suggested);
    void PaintPlot(HWND plot);
    void Request(const HistoryQuery& query);
    // Builds the scene for the plot's size from the figures there are.
    void Rebuild();
    void ShowTexts();
    void ShowComputers();
    void ShowLimit();
    void ChooseLimit();
    void ChooseComputer();
    void OpenFolder();
    int Px(double units) const;

    std::function<HistoryPlaces()> places_;
    HistoryLoader loader_;
    HistoryBrowser browser_;
    HWND hwnd_ = nullptr;
    HWND plot_ = nullptr;
    HHOOK keyboardFilter_ = nullptr;
    static HistoryWindow* keyboardTarget_;  // the one window there is at a time
    GdiObject<HFONT> font_;
    std::wstring face_;
    double dpi_ = 96;
    int lineHeight_ = 16;  // of the window's font, in pixels
    PlotScene scene_;
    std::vector<std::string> choiceIds_;  // the computer of each entry of the choice
    DailyMouseLimit* limit_ = nullptr;
    std::vector<int> limitChoices_;  // the minutes of each entry of the limit's choice
};

}  // namespace tavrel::win32
