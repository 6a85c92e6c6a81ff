// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the two dialog templates through the real dialog manager: texts fit their
// controls, the keyboard reaches the right controls, and the controls react to input
// the way the program's handlers expect.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "resource.h"

namespace {

// (control id, notification code) of every WM_COMMAND the dialog received, in order.
std::vector<std::pair<int, int>> commands;

INT_PTR CALLBACK RecordingProc(HWND, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;  // let the dialog manager place the focus
    if (message == WM_COMMAND) {
        commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

// A modeless dialog made from one of the program's templates; destroyed with the object.
class Dialog {
  public:
    explicit Dialog(int templateId)
        : hwnd_(CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), nullptr,
                                   RecordingProc, 0)) {
        commands.clear();
    }
    ~Dialog() {
        if (hwnd_) DestroyWindow(hwnd_);
    }
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    HWND get() const { return hwnd_; }
    HWND item(int id) const { return GetDlgItem(hwnd_, id); }

  private:
    HWND hwnd_;
};

std::string TextOf(HWND control) {
    char text[256] = {};
    GetWindowTextA(control, text, sizeof text);
    return text;
}

// Width in pixels of a one-line text in the control's own font.
int TextWidth(HWND control, const std::string& text) {
    HDC dc = GetDC(control);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT r = {0, 0, 0, 0};
    DrawTextA(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return r.right;
}

int ClientWidth(HWND control) {
    RECT r;
    GetClientRect(control, &r);
    return r.right;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
}

TEST(AboutBox, EveryLineFitsOnOneLineOfItsControl) {
    Dialog about(IDD_ABOUTBOX);
    ASSERT_NE(about.get(), nullptr);
    std::vector<HWND> children;
    EnumChildWindows(about.get(), CollectChild, reinterpret_cast<LPARAM>(&children));
    ASSERT_EQ(children.size(), 5u);
    for (HWND child : children) {
        std::string text = TextOf(child);
        EXPECT_LE(TextWidth(child, text), ClientWidth(child)) << text;
    }
}

TEST(MainWindow, BothCaptionsOfTheDebugButtonFit) {
    Dialog main(IDD_TAVREL_DIALOG);
    ASSERT_NE(main.get(), nullptr);
    HWND button = main.item(IDC_DEBUG_INFO);
    for (const char* caption : {"Show Debugging &Info", "Hide Debugging &Info"}) {
        EXPECT_LT(TextWidth(button, caption), ClientWidth(button)) << caption;
    }
}

TEST(MainWindow, TabStartsAtThresholdAndNeverReachesTheRadioButtons) {
    Dialog main(IDD_TAVREL_DIALOG);
    ASSERT_NE(main.get(), nullptr);
    HWND first = GetNextDlgTabItem(main.get(), nullptr, FALSE);
    EXPECT_EQ(first, main.item(IDC_THRESHOLD));
    std::vector<int> cycle;
    HWND at = first;
    do {
        cycle.push_back(GetDlgCtrlID(at));
        at = GetNextDlgTabItem(main.get(), at, FALSE);
    } while (at && at != first && cycle.size() < 64);
    const std::vector<int> fields = {
        IDC_THRESHOLD,        IDC_DECAY,         IDC_BREAK_LIMIT, IDC_CLICK_PAIN,
        IDC_DOUBLECLICK_PAIN, IDC_KEYBOARD_PAIN, IDC_MOVE_PAIN,   IDC_DRAG_PAIN};
    ASSERT_GE(cycle.size(), fields.size());
    EXPECT_EQ(std::vector<int>(cycle.begin(), cycle.begin() + fields.size()), fields);
    for (int id : {IDC_SAVE, IDC_QUIT, IDC_DEBUG_INFO, IDC_RESET}) {
        EXPECT_NE(std::find(cycle.begin(), cycle.end(), id), cycle.end()) << id;
    }
    for (int id : {IDC_PAINFUL, IDC_NORMAL}) {
        EXPECT_EQ(std::find(cycle.begin(), cycle.end(), id), cycle.end()) << id;
    }
}

TEST(MainWindow, ClickingARadioButtonReportsButDoesNotCheckIt) {
    Dialog main(IDD_TAVREL_DIALOG);
    ASSERT_NE(main.get(), nullptr);
    for (int id : {IDC_PAINFUL, IDC_NORMAL}) {
        commands.clear();
        SendMessageA(main.item(id), BM_CLICK, 0, 0);
        // Besides the click, the focus moves: BN_SETFOCUS here, EN_KILLFOCUS from a field.
        EXPECT_EQ(std::count(commands.begin(), commands.end(), std::make_pair(id, BN_CLICKED)), 1)
            << id;
        EXPECT_EQ(SendMessageA(main.item(id), BM_GETCHECK, 0, 0), BST_UNCHECKED) << id;
    }
}

TEST(MainWindow, OnlyTheIntegerFieldsRejectNonDigits) {
    struct Case {
        int id;
        const char* expected;  // after typing '7', 'x', '.'
    };
    const Case cases[] = {
        {IDC_THRESHOLD, "7"},          {IDC_DECAY, "7"},
        {IDC_BREAK_LIMIT, "7"},        {IDC_CLICK_PAIN, "7x."},
        {IDC_DOUBLECLICK_PAIN, "7x."}, {IDC_KEYBOARD_PAIN, "7x."},
        {IDC_MOVE_PAIN, "7x."},        {IDC_DRAG_PAIN, "7x."},
    };
    Dialog main(IDD_TAVREL_DIALOG);
    ASSERT_NE(main.get(), nullptr);
    for (const Case& c : cases) {
        for (char typed : {'7', 'x', '.'}) SendMessageA(main.item(c.id), WM_CHAR, typed, 0);
        EXPECT_EQ(TextOf(main.item(c.id)), c.expected) << c.id;
    }
}

TEST(MainWindow, EnterInAFieldPressesSave) {
    Dialog main(IDD_TAVREL_DIALOG);
    ASSERT_NE(main.get(), nullptr);
    LRESULT def = SendMessageA(main.get(), DM_GETDEFID, 0, 0);
    EXPECT_EQ(HIWORD(def), DC_HASDEFID);
    EXPECT_EQ(LOWORD(def), IDC_SAVE);
    MSG enter = {main.item(IDC_THRESHOLD), WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
    commands.clear();
    EXPECT_TRUE(IsDialogMessageA(main.get(), &enter));
    EXPECT_EQ(commands, (std::vector<std::pair<int, int>>{{IDC_SAVE, BN_CLICKED}}));
}

TEST(MainWindow, TheWhiteRectangleStaysHidden) {
    Dialog main(IDD_TAVREL_DIALOG);
    ASSERT_NE(main.get(), nullptr);
    EXPECT_TRUE(IsWindowVisible(main.get()));
    EXPECT_FALSE(IsWindowVisible(main.item(IDC_WHITE_RECT)));
}

}  // namespace
