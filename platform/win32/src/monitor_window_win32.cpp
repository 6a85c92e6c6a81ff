// SPDX-License-Identifier: GPL-3.0-or-later
#include "monitor_window_win32.h"

#include <cstring>
#include <string>

#include "control_ids.h"
#include "folder_chooser_win32.h"
#include "history_texts_win32.h"
#include "resource.h"

namespace tavrel::win32 {

namespace {

// Marks the main window, so that a second start can find it among all windows.
constexpr char kMainWindowProperty[] = "Tavrel.MainWindow";

UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

UINT ShowRunningMessage() {
    static const UINT message = RegisterWindowMessageA(kShowRunningMessage);
    return message;
}

}  // namespace

AboutDialog::AboutDialog() : DialogBase(IDD_ABOUTBOX) {}

MonitorWindow::MonitorWindow(SettingsStore& store)
    : DialogBase(IDD_TAVREL_DIALOG),
      appIcon_(
          LoadIconA(Application::instance()->instanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME))),
      historyFolder_(LocalHistoryFolder()),
      diagnostics_(clock_, historyFolder_.parent_path() / L"tavrel.log"),
      historyFiles_(historyFolder_),
      // Without a folder there is nowhere to keep the minutes: the program runs without them.
      core_(
          CoreRoles{MonitorRoles{*this, timer_, *this, *this, clock_, source_, store,
                                 historyFolder_.empty() ? nullptr : &diagnostics_, &wake_, &quiet_},
                    historyFolder_.empty() ? nullptr : &historyFiles_, historyFolder_,
                    ComputerHostName(), &balloons_}),
      alarmNotifier_(balloons_, core_.controller().alarmGate(),
                     core_.controller().alarmPreferences(), core_.controller().model(), false),
      historyWindow_([this] { return core_.historyPlaces(); }, clock_) {
    // The tick has room for a fixed number of listeners: a build that outgrows it says so.
    if (!core_.AddListener(alarmNotifier_)) OutputDebugStringA("Tavrel: no alarm balloons\n");
    historyWindow_.SetMouseLimit(core_.dailyMouseLimit());
}

DialogBase::MessageTable MonitorWindow::GetMessageTable() const {
    using W = MonitorWindow;
    static const MessageEntry entries[] = {
        MessageUnsigned<W>(WM_SYSCOMMAND, &W::OnSysCommand),
        Message<W>(WM_INITMENUPOPUP, &W::OnInitMenuPopup),
        Message<W>(WM_PAINT, &W::OnPaint),
        MessageIcon<W>(WM_QUERYDRAGICON, &W::OnQueryDragIcon),
        Message<W>(WM_TIMER, &W::OnTimer),
        Message<W>(kWakeMessage, &W::OnWake),
        Command<W>(IDC_DEBUG_INFO, BN_CLICKED, &W::OnDebugInfo),
        Command<W>(IDC_RESET, BN_CLICKED, &W::OnReset),
        Command<W>(IDC_SAVE, BN_CLICKED, &W::OnSave),
        CommandFromAny<W>(EN_KILLFOCUS, &W::OnFieldKillFocus),
        MessageMouse<W>(kTrayMessage, &W::OnTrayMessage),
        Command<W>(IDC_QUIT, BN_CLICKED, &W::OnQuit),
        Command<W>(IDC_PAINFUL, BN_CLICKED, &W::OnPainfulSet),
        Command<W>(IDC_NORMAL, BN_CLICKED, &W::OnNormalSet),
        Message<W>(TaskbarCreatedMessage(), &W::OnTaskbarCreated),
        Message<W>(ShowRunningMessage(), &W::OnShowRunning),
        MessageUnsigned<W>(WM_ENDSESSION, &W::OnEndSession),
    };
    return {entries, sizeof entries / sizeof entries[0]};
}

void MonitorWindow::BindControls() {
    saveButton_ = GetDlgItem(hwnd(), IDC_SAVE);
    normalRadio_ = GetDlgItem(hwnd(), IDC_NORMAL);
    painfulRadio_ = GetDlgItem(hwnd(), IDC_PAINFUL);
}

BOOL MonitorWindow::OnInitDialog() {
    DialogBase::OnInitDialog();
    SetPropA(hwnd(), kMainWindowProperty, reinterpret_cast<HANDLE>(1));
    alarmStatus_.Create(hwnd());
    todayUse_.Create(hwnd());
    AddSystemMenuItems();
    LoadIcons();
    controller().Start(PainScreenWidth());
    return TRUE;  // focus goes to the first control that takes it, the Threshold field
}

namespace {

BOOL CALLBACK MatchMainWindow(HWND hwnd, LPARAM result) {
    if (GetPropA(hwnd, kMainWindowProperty) == nullptr) return TRUE;
    *reinterpret_cast<HWND*>(result) = hwnd;
    return FALSE;
}

}  // namespace

HWND FindRunningMainWindow() {
    HWND found = nullptr;
    EnumWindows(MatchMainWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

void ShowRunningMainWindow() {
    HWND running = FindRunningMainWindow();
    if (running == nullptr) return;
    DWORD process = 0;
    GetWindowThreadProcessId(running, &process);
    AllowSetForegroundWindow(process);  // so that it may come to the front
    SendMessageTimeoutA(running, ShowRunningMessage(), 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
}

void MonitorWindow::AddSystemMenuItems() {
    HMENU menu = GetSystemMenu(hwnd(), FALSE);
    if (!menu) return;
    char text[64] = {};
    LoadStringA(Application::instance()->instanceHandle(), IDS_ABOUTBOX, text, sizeof text);
    if (text[0] == '\0') return;
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, IDM_ABOUTBOX, text);
    AppendMenuA(menu, MF_STRING, kHistoryMenuCommand, kHistoryMenuText);
    AppendMenuA(menu, MF_STRING, kShareHistoryMenuCommand, kShareHistoryMenuText);
    startWithWindows_.AppendTo(menu, kStartWithWindowsMenuCommand);
    const bool toFront = controller().alarmPreferences().bringToFront();
    AppendMenuA(menu, MF_STRING | (toFront ? MF_CHECKED : MF_UNCHECKED), kBringToFrontMenuCommand,
                kBringToFrontText);
}

void MonitorWindow::OnInitMenuPopup() {
    RefreshSystemMenu();
    Default();
}

void MonitorWindow::RefreshSystemMenu() {
    HMENU menu = GetSystemMenu(hwnd(), FALSE);
    if (!menu) return;
    startWithWindows_.Refresh(menu, kStartWithWindowsMenuCommand);
    const bool toFront = controller().alarmPreferences().bringToFront();
    CheckMenuItem(menu, kBringToFrontMenuCommand,
                  MF_BYCOMMAND | (toFront ? MF_CHECKED : MF_UNCHECKED));
}

void MonitorWindow::ChooseStartWithWindows() {
    startWithWindows_.Choose(hwnd());
    RefreshSystemMenu();
}

void MonitorWindow::LoadIcons() {
    HINSTANCE instance = Application::instance()->instanceHandle();
    for (int i = 0; i < 8; ++i) {
        trayIcons_[i] = OwnedIcon(static_cast<HICON>(
            LoadImageA(instance, MAKEINTRESOURCEA(ResourceOf(static_cast<TrayIcon>(i))), IMAGE_ICON,
                       16, 16, LR_DEFAULTCOLOR)));
    }
    SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon_));
    SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(appIcon_));
}

void MonitorWindow::ShowAbout() {
    AboutDialog about;
    about.DoModal(hwnd());
}

void MonitorWindow::OnSysCommand(unsigned id) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        ShowAbout();
    } else if ((id & 0xFFF0) == kHistoryMenuCommand) {
        OpenHistory();
    } else if ((id & 0xFFF0) == kShareHistoryMenuCommand) {
        ShareHistory();
    } else if ((id & 0xFFF0) == kStartWithWindowsMenuCommand) {
        ChooseStartWithWindows();
    } else if ((id & 0xFFF0) == kBringToFrontMenuCommand) {
        controller().OnBringToFrontChosen(!controller().alarmPreferences().bringToFront());
    } else {
        Default();  // Move as usual; Close becomes the Cancel command
    }
}

void MonitorWindow::OnPaint() {
    if (!IsIconic(hwnd())) {
        Default();
        return;
    }
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd(), &ps);
    SendMessageA(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const int iconWidth = GetSystemMetrics(SM_CXICON);
    const int iconHeight = GetSystemMetrics(SM_CYICON);
    RECT rect;
    GetClientRect(hwnd(), &rect);
    const int x = (rect.right - rect.left - iconWidth + 1) / 2;
    const int y = (rect.bottom - rect.top - iconHeight + 1) / 2;
    DrawIcon(dc, x, y, appIcon_);
    EndPaint(hwnd(), &ps);
}

void MonitorWindow::OnTrayMessage(int mouseMessage, int) {
    // A click on the alarm's balloon asks for the window as a double-click does.
    if (mouseMessage == WM_LBUTTONDBLCLK || mouseMessage == NIN_BALLOONUSERCLICK) {
        controller().OnTrayActivated();
    } else if (mouseMessage == WM_RBUTTONUP) {
        ShowTrayMenu();
    } else {
        controller().OnTrayPointed();
    }
}

void MonitorWindow::ShowTrayMenu() {
    enum Item : UINT { kShow = 1, kHistory, kShare, kAbout, kStartWithWindows, kQuit, kAlarmItems };
    const AlarmMenu alarmItems(kAlarmItems);
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) return;
    AppendMenuA(menu, MF_STRING, kShow, "&Show Tavrel");
    AppendMenuA(menu, MF_STRING, kHistory, kHistoryMenuText);
    AppendMenuA(menu, MF_STRING, kShare, kShareHistoryMenuText);
    AppendMenuA(menu, MF_STRING, kAbout, "&About Tavrel...");
    alarmItems.AppendTo(menu, controller().alarmPreferences());
    startWithWindows_.AppendTo(menu, kStartWithWindows);
    AppendMenuA(menu, MF_STRING, kQuit, "&Quit");
    SetMenuDefaultItem(menu, kShow, FALSE);  // what a double-click does
    POINT at;
    GetCursorPos(&at);
    // The documented idiom: without the foreground the menu stays open when the user clicks
    // elsewhere, and without the posted message it closes at once the second time.
    SetForegroundWindow(hwnd());
    const UINT chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x,
                                       at.y, 0, hwnd(), nullptr);
    PostMessageA(hwnd(), WM_NULL, 0, 0);
    DestroyMenu(menu);
    switch (chosen) {
        case kShow:
            controller().OnTrayActivated();
            break;
        case kHistory:
            OpenHistory();
            break;
        case kShare:
            ShareHistory();
            break;
        case kAbout:
            ShowAbout();
            break;
        case kStartWithWindows:
            ChooseStartWithWindows();
            break;
        case kQuit:
            controller().OnQuit();
            break;
        default:
            alarmItems.Choose(chosen, controller());  // or dismissed
            break;
    }
}

void MonitorWindow::ShareHistory() {
    controller().Wake();
    SharedHistory* sharing = core_.sharedHistory();
    if (sharing == nullptr) return;
    FolderChooserWin32 chooser(hwnd());
    sharing->ChooseFolder(chooser, *this);
    // An open History window shows the computers of the new folder at once.
    if (historyWindow_.hwnd() != nullptr) historyWindow_.Open();
}

void MonitorWindow::OnTaskbarCreated() {
    // The shell started afresh and knows no icon of ours: add it again.
    trayIcon_.Forget();
    controller().OnTrayRestarted();
}

void MonitorWindow::OnEndSession(unsigned ending) {
    // The session really ends: the process is ended without Quit after this returns.
    if (ending != 0) controller().OnSessionEnd();
}

void MonitorWindow::OnSave() {
    controller().OnSave();
    // The click left the focus on Save; disabled, it would pass it on to Quit, which would
    // then become the default button and end the program at the next Enter.
    SendMessageA(hwnd(), WM_NEXTDLGCTL,
                 reinterpret_cast<WPARAM>(GetDlgItem(hwnd(), ControlOf(SettingId::Threshold))),
                 TRUE);
}

void MonitorWindow::OnFieldKillFocus(unsigned controlId) {
    SettingId field;
    if (!SettingOfControl(static_cast<int>(controlId), field)) return;
    // The whole text, however long: the settings decide what is too long to be a number.
    HWND edit = GetDlgItem(hwnd(), static_cast<int>(controlId));
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(edit)) + 1, '\0');
    const int length = GetWindowTextA(edit, text.data(), static_cast<int>(text.size()));
    text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    controller().OnFieldCommitted(field, text.c_str());
}

void MonitorWindow::Raise() {
    ShowAbove(0);
}

void MonitorWindow::ShowWithoutFocus() {
    // Above the others, but the keyboard stays with the program the user is typing in.
    ShowAbove(SWP_NOACTIVATE);
}

void MonitorWindow::ShowAbove(UINT extraFlags) {
    const UINT flags = SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW | extraFlags;
    SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, flags);
    SetWindowPos(hwnd(), HWND_NOTOPMOST, 0, 0, 0, 0, flags);
}

void MonitorWindow::HideToBottom() {
    SetWindowPos(hwnd(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_HIDEWINDOW);
}

void MonitorWindow::SetReadout(Readout readout, const char* text) {
    SetDlgItemTextA(hwnd(), ControlOf(readout), text);
}

void MonitorWindow::SetDebugInfoCaption(const char* text) {
    SetDlgItemTextA(hwnd(), IDC_DEBUG_INFO, text);
}

void MonitorWindow::ShowMessage(const char* text) {
    MessageBoxFor(hwnd(), text, MB_OK);
}

Answer MonitorWindow::AskYesNoCancel(const char* text) {
    switch (MessageBoxFor(hwnd(), text, MB_YESNOCANCEL)) {
        case IDYES:
            return Answer::Yes;
        case IDNO:
            return Answer::No;
        case IDCANCEL:
            return Answer::Cancel;
        default:
            return Answer::Other;
    }
}

void MonitorWindow::SetFieldInt(SettingId field, std::int32_t value) {
    SetDlgItemInt(hwnd(), ControlOf(field), static_cast<UINT>(value), TRUE);
}

void MonitorWindow::SetSetChecked(SetButton button, bool checked) {
    HWND radio = button == SetButton::Painful ? painfulRadio_ : normalRadio_;
    SendMessageA(radio, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void MonitorWindow::SetSaveEnabled(bool enabled) {
    // A disabled button keeps no focus: hand it on, or the keyboard goes dead.
    if (!enabled && GetFocus() == saveButton_) SendMessageA(hwnd(), WM_NEXTDLGCTL, 0, FALSE);
    EnableWindow(saveButton_, enabled ? TRUE : FALSE);
    InvalidateRect(saveButton_, nullptr, TRUE);
    UpdateWindow(saveButton_);
}

void MonitorWindow::Show(TrayIcon icon, const char* tip) {
    trayIcon_.Show(hwnd(), trayIcons_[static_cast<int>(icon)].get(), kTrayMessage, tip);
}

}  // namespace tavrel::win32
