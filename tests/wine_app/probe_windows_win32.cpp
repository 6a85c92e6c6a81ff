// SPDX-License-Identifier: GPL-3.0-or-later
#include "probe_windows_win32.h"

#include "resource.h"

namespace probe {

namespace {

constexpr int kTickReadout = IDC_TICK_COUNT;

struct FindState {
    const Target* target;
    HWND found;
    int count;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM param) {
    auto* state = reinterpret_cast<FindState*>(param);
    char text[256] = {};
    char cls[256] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    GetClassNameA(hwnd, cls, sizeof cls);
    if (state->target->title != text || state->target->className != cls) return TRUE;
    if (state->target->needsReadout && !GetDlgItem(hwnd, kTickReadout)) return TRUE;
    if (state->found == nullptr) state->found = hwnd;
    ++state->count;
    return TRUE;
}

// A font like the one the program gives its controls at the DPI.
HFONT FontFor(int dpi, const std::string& kind) {
    LOGFONTW font{};
    if (kind == "message") {
        using ForDpi = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
        const auto forDpi = reinterpret_cast<ForDpi>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("user32.dll"), "SystemParametersInfoForDpi")));
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        if (forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)) {
            font = metrics.lfMessageFont;
        }
    } else {
        font.lfHeight = -MulDiv(8, dpi, 72);
        font.lfWeight = FW_NORMAL;
        font.lfCharSet = DEFAULT_CHARSET;
        lstrcpynW(font.lfFaceName, L"MS Shell Dlg", LF_FACESIZE);
    }
    return CreateFontIndirectW(&font);
}

}  // namespace

HWND FindTarget(const Target& target, int* count) {
    FindState state{&target, nullptr, 0};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&state));
    if (count != nullptr) *count = state.count;
    return state.found;
}

BOOL CALLBACK MatchMessageBox(HWND hwnd, LPARAM param) {
    auto* state = reinterpret_cast<FindOwned*>(param);
    char cls[64] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (GetWindow(hwnd, GW_OWNER) == state->owner && std::string(cls) == "#32770" &&
        IsWindowVisible(hwnd)) {
        state->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK MatchPopupMenu(HWND hwnd, LPARAM param) {
    char cls[64] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (std::string(cls) != "#32768" || !IsWindowVisible(hwnd)) return TRUE;
    *reinterpret_cast<HWND*>(param) = hwnd;
    return FALSE;
}

std::string WindowText(HWND hwnd) {
    // Sent, not GetWindowText: only WM_GETTEXT reaches into another process's controls.
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &length)) {
        return "";
    }
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                        SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied);
    text.resize(copied);
    return text;
}

// A text of several lines as one line of the reply: each line break as a backslash and n.
std::string OneLine(const std::string& text) {
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        if (text[i] == '\r' || text[i] == '\n') {
            line += "\\n";
        } else {
            line += text[i];
        }
    }
    return line;
}

// The text of a message box: its static control that is not an icon.
std::string MessageBoxText(HWND box) {
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[64] = {};
        GetClassNameA(child, cls, sizeof cls);
        if (std::string(cls) != "Static") continue;
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) continue;
        const std::string text = WindowText(child);
        if (!text.empty()) return text;
    }
    return "";
}

// The controls of the window whose one-line text is wider than they are.
std::string UnfitControls(HWND window, int dpi, const std::string& kind) {
    HFONT font = FontFor(dpi, kind);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    std::string found;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[64] = {};
        GetClassNameA(child, cls, sizeof cls);
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        const bool label = lstrcmpiA(cls, "Static") == 0 && (style & SS_TYPEMASK) <= SS_RIGHT;
        const LONG type = style & BS_TYPEMASK;
        const bool button =
            lstrcmpiA(cls, "Button") == 0 &&
            (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || (style & BS_PUSHLIKE) != 0);
        const std::string text = WindowText(child);
        // Texts of several lines are not labels: they have the room their lines need.
        if ((!label && !button) || text.empty() || text.find('\n') != std::string::npos ||
            !IsWindowVisible(child)) {
            continue;
        }
        RECT need{0, 0, 0, 0};
        UINT format = DT_CALCRECT | DT_SINGLELINE;
        if (label && (style & SS_NOPREFIX)) format |= DT_NOPREFIX;
        DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &need, format);
        RECT has;
        GetClientRect(child, &has);
        const int margin = button ? MulDiv(6, dpi, 96) : 0;  // a button's edges and focus frame
        if (need.right + margin > has.right) {
            found += std::to_string(GetDlgCtrlID(child)) + ":" + OneLine(text) + ":" +
                     std::to_string(need.right + margin) + ":" + std::to_string(has.right) + " ";
        }
    }
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    return found.empty() ? "-" : found;
}

}  // namespace probe
