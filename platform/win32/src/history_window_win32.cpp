// SPDX-License-Identifier: GPL-3.0-or-later
#include "history_window_win32.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>
#include <utility>

#include "dpi_win32.h"
#include "history_texts_win32.h"
#include "plot_painter_win32.h"
#include "resource.h"

namespace tavrel::win32 {

namespace {

constexpr wchar_t kPlotClass[] = L"TavrelHistoryPlot";
// A worker's figures arrive as this message, the result in the LPARAM.
constexpr UINT kLoadedMessage = WM_APP + 20;

// The layout, in units of 1/96 inch.
constexpr double kMargin = 8;
constexpr double kButtonHeight = 26;
constexpr double kGap = 6;
constexpr double kGroupGap = 16;
constexpr double kClientWidth = 820;
constexpr double kClientHeight = 620;
constexpr double kChoiceWidth = 200;  // the computers' choice
constexpr double kChoiceListHeight = 200;
constexpr double kLimitWidth = 190;  // the daily mouse limit's choice

struct ButtonSpec {
    int id;
    const wchar_t* text;
    double width;
    DWORD style;
};

constexpr DWORD kViewStyle = BS_AUTORADIOBUTTON | BS_PUSHLIKE;
constexpr ButtonSpec kButtons[] = {
    {kHistoryDayButton, L"&Day", 64, kViewStyle | WS_GROUP},
    {kHistoryWeekButton, L"&Week", 64, kViewStyle},
    {kHistoryThirtyDaysButton, L"&30 days", 72, kViewStyle},
    {kHistoryPreviousButton, L"&Previous", 80, BS_PUSHBUTTON | WS_GROUP},
    {kHistoryNextButton, L"&Next", 80, BS_PUSHBUTTON},
    {kHistoryTodayButton, L"&Today", 72, BS_PUSHBUTTON},
    {kHistoryOpenFolderButton, L"Open &folder", 100, BS_PUSHBUTTON},
};

}  // namespace

HistoryWindow::HistoryWindow(std::function<HistoryPlaces()> places, Clock& clock)
    : places_(std::move(places)), loader_(kLoadedMessage), browser_(clock) {}

HistoryWindow::~HistoryWindow() {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

bool HistoryWindow::RegisterClasses(HINSTANCE instance) {
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(instance, kHistoryWindowClass, &existing)) return true;
    WNDCLASSEXW window = {};
    window.cbSize = sizeof window;
    window.lpfnWndProc = WindowProc;
    window.hInstance = instance;
    window.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
    window.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    window.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window.lpszClassName = kHistoryWindowClass;
    WNDCLASSEXW plot = {};
    plot.cbSize = sizeof plot;
    plot.lpfnWndProc = PlotProc;
    plot.hInstance = instance;
    plot.hCursor = window.hCursor;
    plot.lpszClassName = kPlotClass;
    return RegisterClassExW(&window) != 0 && RegisterClassExW(&plot) != 0;
}

void HistoryWindow::Open() {
    if (hwnd_ == nullptr) {
        if (!Create()) return;
    } else if (IsIconic(hwnd_)) {
        ShowWindow(hwnd_, SW_RESTORE);
    }
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    ShowLimit();
    Request(browser_.Open());
}

bool HistoryWindow::Create() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!RegisterClasses(instance)) return false;
    dpi_ = WindowDpi(nullptr);
    constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    RECT frame{0, 0, Px(kClientWidth), Px(kClientHeight)};
    AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
    // At a high DPI the planned size can be more than a small screen holds.
    RECT work;
    if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
        frame.right = frame.left + std::min(frame.right - frame.left, work.right - work.left);
        frame.bottom = frame.top + std::min(frame.bottom - frame.top, work.bottom - work.top);
    }
    // No owner: the History window stays when the main window hides to the tray.
    CreateWindowExW(WS_EX_CONTROLPARENT, kHistoryWindowClass, kHistoryWindowTitle, kStyle,
                    CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                    frame.bottom - frame.top, nullptr, nullptr, instance, this);
    if (hwnd_ == nullptr) return false;
    keyboardTarget_ = this;
    keyboardFilter_ =
        SetWindowsHookExW(WH_MSGFILTER, KeyboardFilter, nullptr, GetCurrentThreadId());
    return true;
}

HistoryWindow* HistoryWindow::keyboardTarget_ = nullptr;

LRESULT CALLBACK HistoryWindow::KeyboardFilter(int code, WPARAM wParam, LPARAM lParam) {
    HistoryWindow* target = keyboardTarget_;
    if (code == MSGF_DIALOGBOX && target != nullptr && target->hwnd_ != nullptr &&
        IsDialogMessageW(target->hwnd_, reinterpret_cast<MSG*>(lParam))) {
        return 1;  // handled: the loop does not dispatch it again
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

int HistoryWindow::Px(double units) const {
    return static_cast<int>(std::lround(units * dpi_ / 96.0));
}

void HistoryWindow::CreateControls() {
    dpi_ = WindowDpi(hwnd_);
    font_ = UseMessageFont(hwnd_, static_cast<UINT>(dpi_), face_, lineHeight_);

    HINSTANCE instance = GetModuleHandleW(nullptr);
    const auto make = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int id) {
        HWND control =
            CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, hwnd_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        return control;
    };
    for (const ButtonSpec& button : kButtons) {
        make(L"BUTTON", button.text, WS_TABSTOP | button.style, button.id);
    }
    make(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, kHistoryRangeText);
    make(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, kHistoryTotalsText);
    plot_ = make(kPlotClass, L"", 0, kHistoryPlot);
    // Hidden until a shared folder names other computers.
    ShowWindow(
        make(L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, kHistoryComputerChoice),
        SW_HIDE);
    ShowWindow(make(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, kHistoryComputersText), SW_HIDE);
    make(L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, kHistoryMouseLimitChoice);
}

// Moved to a monitor of another DPI: the same layout in the new units (WM_SIZE lays it out).
void HistoryWindow::OnDpiChanged(UINT dpi, const RECT* suggested) {
    if (dpi == 0 || dpi == dpi_) return;
    const auto old = static_cast<UINT>(dpi_);
    dpi_ = dpi;
    font_ = UseMessageFont(hwnd_, dpi, face_, lineHeight_);
    ResizeForDpi(hwnd_, dpi, old, suggested);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void HistoryWindow::Layout() {
    RECT client;
    GetClientRect(hwnd_, &client);
    const int margin = Px(kMargin);
    const int buttonHeight = Px(kButtonHeight);
    int x = margin;
    for (const ButtonSpec& button : kButtons) {
        if (button.id == kHistoryOpenFolderButton) continue;
        if (button.id == kHistoryPreviousButton) x += Px(kGroupGap) - Px(kGap);
        MoveWindow(GetDlgItem(hwnd_, button.id), x, margin, Px(button.width), buttonHeight, TRUE);
        x += Px(button.width) + Px(kGap);
    }
    const int folderWidth = Px(kButtons[std::size(kButtons) - 1].width);
    const int folderLeft = std::max<int>(x, client.right - margin - folderWidth);
    MoveWindow(GetDlgItem(hwnd_, kHistoryOpenFolderButton), folderLeft, margin, folderWidth,
               buttonHeight, TRUE);
    // The heading on a row of its own: a week's is long, and a high DPI leaves the button row
    // no room for it.
    const int headingTop = margin + buttonHeight + Px(kGap);
    const int limitLeft = std::max<int>(client.right - margin - Px(kLimitWidth), margin);
    MoveWindow(GetDlgItem(hwnd_, kHistoryMouseLimitChoice), limitLeft, headingTop - Px(2),
               Px(kLimitWidth), Px(kChoiceListHeight), TRUE);
    MoveWindow(GetDlgItem(hwnd_, kHistoryRangeText), margin, headingTop,
               std::max<int>(limitLeft - Px(kGap) - margin, 0), lineHeight_, TRUE);

    // The computers' row at the bottom while there is a choice of them: the choice, and two
    // lines of their names and last minutes beside it.
    int bottom = client.bottom - margin;
    HWND choice = GetDlgItem(hwnd_, kHistoryComputerChoice);
    if (IsWindowVisible(choice)) {
        const int rowHeight = std::max(2 * lineHeight_ + 2, Px(24));
        const int top = std::max(bottom - rowHeight, 0);
        MoveWindow(choice, margin, top, Px(kChoiceWidth), Px(kChoiceListHeight), TRUE);
        const int textLeft = margin + Px(kChoiceWidth) + Px(kGap);
        MoveWindow(GetDlgItem(hwnd_, kHistoryComputersText), textLeft, top,
                   std::max<int>(client.right - margin - textLeft, 0), rowHeight, TRUE);
        bottom = top - Px(kGap);
    }
    const int totalsHeight = 3 * lineHeight_ + 2;
    const int totalsTop = std::max<int>(bottom - totalsHeight, 0);
    MoveWindow(GetDlgItem(hwnd_, kHistoryTotalsText), margin, totalsTop,
               std::max<int>(client.right - 2 * margin, 0), totalsHeight, TRUE);
    const int plotTop = headingTop + std::max(lineHeight_, Px(22)) + Px(kGap);
    MoveWindow(plot_, margin, plotTop, std::max<int>(client.right - 2 * margin, 0),
               std::max(totalsTop - margin - plotTop, 0), TRUE);
    Rebuild();
}

LRESULT CALLBACK HistoryWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<HistoryWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    }
    auto* self = reinterpret_cast<HistoryWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        self->plot_ = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return self->Handle(message, wParam, lParam);
}

LRESULT HistoryWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            CreateControls();
            return 0;
        case WM_SIZE:
            Layout();
            return 0;
        case kDpiChangedMessage:
            OnDpiChanged(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize = {Px(560), Px(400)};
            return 0;
        }
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            const UINT code = HIWORD(wParam);
            if (code == BN_CLICKED) OnCommand(id);
            if (code == CBN_SELCHANGE && id == kHistoryMouseLimitChoice) ChooseLimit();
            if (code == CBN_SELCHANGE && id == kHistoryComputerChoice) ChooseComputer();
            return 0;
        }
        case kLoadedMessage:
            OnLoaded(lParam);
            return 0;
        case WM_DESTROY:
            OnDestroy();
            return 0;
        default:
            return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

LRESULT CALLBACK HistoryWindow::PlotProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self =
        reinterpret_cast<HistoryWindow*>(GetWindowLongPtrW(GetParent(hwnd), GWLP_USERDATA));
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // the paint covers every pixel
        case WM_PAINT:
            if (self != nullptr) {
                self->PaintPlot(hwnd);
                return 0;
            }
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void HistoryWindow::OnCommand(int id) {
    switch (id) {
        case kHistoryDayButton:
            Request(browser_.ShowView(HistoryView::Day));
            break;
        case kHistoryWeekButton:
            Request(browser_.ShowView(HistoryView::Week));
            break;
        case kHistoryThirtyDaysButton:
            Request(browser_.ShowView(HistoryView::ThirtyDays));
            break;
        case kHistoryPreviousButton:
            Request(browser_.Step(-1));
            break;
        case kHistoryNextButton:
            Request(browser_.Step(+1));
            break;
        case kHistoryTodayButton:
            Request(browser_.GoToday());
            break;
        case kHistoryOpenFolderButton:
            OpenFolder();
            break;
        case IDCANCEL:  // Esc
            DestroyWindow(hwnd_);
            break;
        default:
            break;
    }
}

void HistoryWindow::Request(const HistoryQuery& query) {
    loader_.Load(hwnd_, query, places_());
    ShowTexts();
    Rebuild();
}

void HistoryWindow::OnLoaded(LPARAM lParam) {
    const std::unique_ptr<HistoryResult> result = HistoryLoader::Take(lParam);
    if (!result || !browser_.Accept(*result)) return;  // a later query is on its way
    ShowComputers();
    ShowTexts();
    Rebuild();
}

void HistoryWindow::OnDestroy() {
    // The read is of no use any more; what it has posted must not leak.
    loader_.Cancel();
    loader_.DropQueued(hwnd_);
    browser_.Close();
    if (keyboardFilter_ != nullptr) UnhookWindowsHookEx(keyboardFilter_);
    keyboardFilter_ = nullptr;
    keyboardTarget_ = nullptr;
}

void HistoryWindow::ShowTexts() {
    const HistoryView view = browser_.view();
    CheckDlgButton(hwnd_, kHistoryDayButton,
                   view == HistoryView::Day ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hwnd_, kHistoryWeekButton,
                   view == HistoryView::Week ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hwnd_, kHistoryThirtyDaysButton,
                   view == HistoryView::ThirtyDays ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(hwnd_, kHistoryNextButton), browser_.canStepForward());
    SetDlgItemTextW(hwnd_, kHistoryRangeText, Widen(browser_.Heading()).c_str());
    SetDlgItemTextW(hwnd_, kHistoryTotalsText,
                    WindowsLines(browser_.TotalsText(ScreenDpi())).c_str());
    SetDlgItemTextW(hwnd_, kHistoryComputersText, Widen(browser_.ComputersText()).c_str());
}

void HistoryWindow::Rebuild() {
    if (plot_ == nullptr) return;
    RECT client;
    GetClientRect(plot_, &client);
    scene_ = browser_.Scene({client.right * 96.0 / dpi_, client.bottom * 96.0 / dpi_});
    InvalidateRect(plot_, nullptr, FALSE);
}

void HistoryWindow::PaintPlot(HWND plot) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(plot, &ps);
    RECT client;
    GetClientRect(plot, &client);
    // Drawn off screen and copied at once: no flicker while the window is resized.
    HDC memory = CreateCompatibleDC(dc);
    GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc, client.right, client.bottom));
    if (memory != nullptr && bitmap.get() != nullptr) {
        {
            Selection selected(memory, bitmap.get());
            SetDCBrushColor(memory, ColorOf(Ink::Background));
            FillRect(memory, &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
            PlotPainter(dpi_, face_).Paint(memory, scene_);
            BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        }
    }
    if (memory != nullptr) DeleteDC(memory);
    EndPaint(plot, &ps);
}

}  // namespace tavrel::win32
