// SPDX-License-Identifier: GPL-3.0-or-later
// The history window's choices beside the plot: which computer's figures,
// the daily mouse limit, and the folder the figures are kept in.
#include "history_window_win32.h"

#include <shellapi.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "history_texts_win32.h"
#include "plot_painter_win32.h"
#include "resource.h"
#include "tavrel/failure_notice.h"

namespace tavrel::win32 {

void HistoryWindow::ShowComputers() {
    const HistoryBrowser::ComputerChoices choices = browser_.Computers();
    HWND choice = GetDlgItem(hwnd_, kHistoryComputerChoice);
    SendMessageW(choice, CB_RESETCONTENT, 0, 0);
    choiceIds_.clear();
    for (const auto& [text, id] : choices.entries) {
        const std::wstring name = Widen(text);
        SendMessageW(choice, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        choiceIds_.push_back(id);
    }
    SendMessageW(choice, CB_SETCURSEL, choices.chosen, 0);
    const bool shown = choices.shown;
    if (shown != (IsWindowVisible(choice) != FALSE)) {
        ShowWindow(choice, shown ? SW_SHOW : SW_HIDE);
        ShowWindow(GetDlgItem(hwnd_, kHistoryComputersText), shown ? SW_SHOW : SW_HIDE);
        Layout();
    }
}

void HistoryWindow::ChooseComputer() {
    const auto index = static_cast<std::size_t>(
        SendDlgItemMessageW(hwnd_, kHistoryComputerChoice, CB_GETCURSEL, 0, 0));
    if (index < choiceIds_.size()) Request(browser_.ShowComputer(choiceIds_[index]));
}

void HistoryWindow::ShowLimit() {
    HWND choice = GetDlgItem(hwnd_, kHistoryMouseLimitChoice);
    ShowWindow(choice, limit_ != nullptr ? SW_SHOW : SW_HIDE);
    if (limit_ == nullptr) return;
    SendMessageW(choice, CB_RESETCONTENT, 0, 0);
    limitChoices_ = MouseLimitChoices(limit_->minutes());
    for (const int minutes : limitChoices_) {
        const std::wstring text = Widen(MouseLimitText(minutes));
        SendMessageW(choice, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    const auto at = std::find(limitChoices_.begin(), limitChoices_.end(), limit_->minutes());
    SendMessageW(choice, CB_SETCURSEL, at - limitChoices_.begin(), 0);
}

void HistoryWindow::ChooseLimit() {
    const auto index = static_cast<std::size_t>(
        SendDlgItemMessageW(hwnd_, kHistoryMouseLimitChoice, CB_GETCURSEL, 0, 0));
    if (limit_ == nullptr || index >= limitChoices_.size()) return;
    if (!limit_->Set(limitChoices_[index])) {
        MessageBoxW(hwnd_, Widen(kWriteFailedText).c_str(), kHistoryWindowTitle,
                    MB_OK | MB_ICONWARNING);
    }
    ShowLimit();  // as stored
}

void HistoryWindow::OpenFolder() {
    const std::filesystem::path folder = places_().local;
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    const auto done = reinterpret_cast<INT_PTR>(
        ShellExecuteW(hwnd_, L"open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (done <= 32) {
        const std::wstring text = L"Can't open the folder " + folder.wstring();
        MessageBoxW(hwnd_, text.c_str(), kHistoryWindowTitle, MB_OK | MB_ICONWARNING);
    }
}

}  // namespace tavrel::win32
