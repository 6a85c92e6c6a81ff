#include "monitor_window_win32.h"

#include <cstring>

#include "TavrelHooks.h"
#include "resource.h"

namespace tavrel::win32 {

NotifyIcon::NotifyIcon() {
    std::memset(&data_, 0, sizeof data_);
}

void NotifyIcon::Fill(HWND owner, HICON icon, const char* tip) {
    // The first and smallest form of the record: every shell version takes it.
    data_.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data_.hWnd = owner;
    data_.uID = 1;
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data_.uCallbackMessage = kTrayMessage;
    data_.hIcon = icon;
    SetTip(tip);
}

void NotifyIcon::SetTip(const char* tip) {
    lstrcpynA(data_.szTip, tip, static_cast<int>(sizeof data_.szTip));
}

void NotifyIcon::Send(DWORD command) {
    if (command == NIM_DELETE) {
        if (!added_) return;
        added_ = false;
    } else if (command == NIM_ADD) {
        added_ = true;
    }
    if (data_.cbSize != 0) Shell_NotifyIconA(command, &data_);
}

AboutDialog::AboutDialog() : DialogBase(IDD_ABOUTBOX) {}

MonitorDialogWindow::MonitorDialogWindow(HWND parent, SettingsStore& store)
    : DialogBase(IDD_TAVREL_DIALOG),
      parent_(parent),
      appIcon_(
          LoadIconA(Application::instance()->instanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME))),
      dialog_(*this, store) {}

DialogBase::MessageTable MonitorDialogWindow::GetMessageTable() const {
    using W = MonitorDialogWindow;
    static const MessageEntry entries[] = {
        MessageUnsigned<W>(WM_SYSCOMMAND, &W::OnSysCommand),
        Message<W>(WM_PAINT, &W::OnPaint),
        MessageIcon<W>(WM_QUERYDRAGICON, &W::OnQueryDragIcon),
        Message<W>(WM_TIMER, &W::OnTimer),
        Command<W>(IDC_DEBUG_INFO, BN_CLICKED, &W::OnDebugInfo),
        Command<W>(IDC_RESET, BN_CLICKED, &W::OnReset),
        Command<W>(IDC_SAVE, BN_CLICKED, &W::OnSave),
        CommandId<W>(IDC_THRESHOLD, EN_KILLFOCUS, &W::OnSettingKillFocus),
        CommandId<W>(IDC_DECAY, EN_KILLFOCUS, &W::OnSettingKillFocus),
        CommandId<W>(IDC_BREAK_LIMIT, EN_KILLFOCUS, &W::OnSettingKillFocus),
        CommandId<W>(IDC_CLICK_PAIN, EN_KILLFOCUS, &W::OnSettingKillFocus),
        CommandId<W>(IDC_DOUBLECLICK_PAIN, EN_KILLFOCUS, &W::OnSettingKillFocus),
        CommandId<W>(IDC_KEYBOARD_PAIN, EN_KILLFOCUS, &W::OnSettingKillFocus),
        CommandId<W>(IDC_MOVE_PAIN, EN_KILLFOCUS, &W::OnSettingKillFocus),
        CommandId<W>(IDC_DRAG_PAIN, EN_KILLFOCUS, &W::OnSettingKillFocus),
        MessageMouse<W>(kTrayMessage, &W::OnTrayMessage),
        Command<W>(IDC_QUIT, BN_CLICKED, &W::OnQuit),
        Command<W>(IDC_PAINFUL, BN_CLICKED, &W::OnPainfulSet),
        Command<W>(IDC_NORMAL, BN_CLICKED, &W::OnNormalSet),
    };
    return {entries, sizeof entries / sizeof entries[0]};
}

void MonitorDialogWindow::DoDataExchange() {
    saveButton_ = GetDlgItem(hwnd(), IDC_SAVE);
    normalRadio_ = GetDlgItem(hwnd(), IDC_NORMAL);
    painfulRadio_ = GetDlgItem(hwnd(), IDC_PAINFUL);
}

BOOL MonitorDialogWindow::OnInitDialog() {
    DialogBase::OnInitDialog();
    dialog_.OnInitDialog();
    return TRUE;  // focus goes to the first control that takes it, the Threshold field
}

void MonitorDialogWindow::OnSysCommand(unsigned id) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        AboutDialog about;
        about.DoModal(hwnd());
    } else {
        Default();  // Move as usual; Close becomes the Cancel command
    }
}

void MonitorDialogWindow::OnPaint() {
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

void MonitorDialogWindow::OnTrayMessage(int mouseMessage, int) {
    dialog_.OnTrayNotify(mouseMessage);
}

SystemTime MonitorDialogWindow::Now() {
    SYSTEMTIME st;
    GetSystemTime(&st);
    return {st.wYear, st.wMonth,  st.wDayOfWeek, st.wDay,
            st.wHour, st.wMinute, st.wSecond,    st.wMilliseconds};
}

void MonitorDialogWindow::TakeActivity(MDTAG& record) {
    GetData(&record);
}

void MonitorDialogWindow::RaiseWindow() {
    constexpr UINT flags = SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW;
    SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, flags);
    SetWindowPos(hwnd(), HWND_NOTOPMOST, 0, 0, 0, 0, flags);
}

void MonitorDialogWindow::HideWindowToBottom() {
    SetWindowPos(hwnd(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_HIDEWINDOW);
}

void MonitorDialogWindow::FlashCaption(bool invert) {
    FlashWindow(hwnd(), invert ? TRUE : FALSE);
}

HICON MonitorDialogWindow::IconFor(TrayIcon icon) const {
    const int index = static_cast<int>(icon);
    if (icon == TrayIcon::Alarm1 || icon == TrayIcon::Alarm2) {
        return alarmIcons_[index - static_cast<int>(TrayIcon::Alarm1)].get();
    }
    return levelIcons_[index].get();
}

void MonitorDialogWindow::SetTrayIcon(TrayIcon icon) {
    trayIcon_.SetIcon(IconFor(icon));
    trayIcon_.Send(NIM_MODIFY);
}

void MonitorDialogWindow::SetReadout(int controlId, const char* text) {
    SetDlgItemTextA(hwnd(), controlId, text);
}

void MonitorDialogWindow::ShowMessage(const char* text) {
    MessageBoxFor(hwnd(), text, MB_OK);
}

void MonitorDialogWindow::GetFieldText(int controlId, char* buffer, int size) {
    if (size <= 0) return;
    buffer[0] = '\0';
    GetDlgItemTextA(hwnd(), controlId, buffer, size);
}

void MonitorDialogWindow::SetFieldInt(int controlId, std::int32_t value) {
    SetDlgItemInt(hwnd(), controlId, static_cast<UINT>(value), TRUE);
}

void MonitorDialogWindow::SetRadioChecked(int controlId, bool checked) {
    HWND button = controlId == IDC_PAINFUL  ? painfulRadio_
                  : controlId == IDC_NORMAL ? normalRadio_
                                            : GetDlgItem(hwnd(), controlId);
    SendMessageA(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void MonitorDialogWindow::SetSaveEnabled(bool enabled) {
    // A disabled button keeps no focus: hand it on, or the keyboard goes dead.
    if (!enabled && GetFocus() == saveButton_) SendMessageA(hwnd(), WM_NEXTDLGCTL, 0, FALSE);
    EnableWindow(saveButton_, enabled ? TRUE : FALSE);
    InvalidateRect(saveButton_, nullptr, TRUE);
    UpdateWindow(saveButton_);
}

Answer MonitorDialogWindow::AskYesNoCancel(const char* text) {
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

void MonitorDialogWindow::AddAboutMenuItem() {
    HMENU menu = GetSystemMenu(hwnd(), FALSE);
    if (!menu) return;
    char text[64] = {};
    LoadStringA(Application::instance()->instanceHandle(), IDS_ABOUTBOX, text, sizeof text);
    if (text[0] == '\0') return;
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, IDM_ABOUTBOX, text);
}

void MonitorDialogWindow::LoadIcons() {
    HINSTANCE instance = Application::instance()->instanceHandle();
    const auto load16 = [instance](int id) {
        return OwnedIcon(static_cast<HICON>(
            LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
    };
    const int levels[6] = {IDI_LEVEL0, IDI_LEVEL1, IDI_LEVEL2, IDI_LEVEL3, IDI_LEVEL4, IDI_LEVEL5};
    for (int i = 0; i < 6; ++i) levelIcons_[i] = load16(levels[i]);
    alarmIcons_[0] = load16(IDI_ALARM1);
    alarmIcons_[1] = load16(IDI_ALARM2);
    SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon_));
    SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(appIcon_));
}

void MonitorDialogWindow::LoadHookLibrary() {
    hookLibrary_.load("TavrelHooks.dll");
}
void MonitorDialogWindow::FreeHookLibrary() {
    hookLibrary_.reset();
}
void MonitorDialogWindow::InitHooks() {
    ::InitHooks();
}
void MonitorDialogWindow::KillHooks() {
    ::KillHooks();
}
std::int32_t MonitorDialogWindow::ScreenWidth() {
    return GetSystemMetrics(SM_CXSCREEN);
}

bool MonitorDialogWindow::StartTimer() {
    return SetTimer(hwnd(), kTimerId, kTimerPeriodMs, nullptr) != 0;
}

void MonitorDialogWindow::StopTimer() {
    KillTimer(hwnd(), kTimerId);
}

void MonitorDialogWindow::FillTrayRecord(TrayIcon icon, const char* tip) {
    trayIcon_.Fill(hwnd(), IconFor(icon), tip);
}

void MonitorDialogWindow::SetTrayTip(const char* tip) {
    trayIcon_.SetTip(tip);
}

void MonitorDialogWindow::Tray(TrayCommand command) {
    switch (command) {
        case TrayCommand::Add:
            trayIcon_.Send(NIM_ADD);
            break;
        case TrayCommand::Modify:
            trayIcon_.Send(NIM_MODIFY);
            break;
        case TrayCommand::Delete:
            trayIcon_.Send(NIM_DELETE);
            break;
    }
}

}  // namespace tavrel::win32
