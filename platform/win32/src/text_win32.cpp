// SPDX-License-Identifier: GPL-3.0-or-later
#include "text_win32.h"

#include <windows.h>

#include <climits>

namespace tavrel::win32 {

namespace {

std::wstring Convert(const std::string& text, DWORD flags, bool& ok) {
    ok = true;
    if (text.empty()) return {};
    ok = false;
    if (text.size() > static_cast<std::size_t>(INT_MAX)) return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_UTF8, flags, text.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    if (MultiByteToWideChar(CP_UTF8, flags, text.data(), size, &wide[0], length) != length) {
        return {};
    }
    ok = true;
    return wide;
}

}  // namespace

bool ToUtf16(const std::string& text, std::wstring& wide) {
    bool ok = false;
    wide = Convert(text, MB_ERR_INVALID_CHARS, ok);
    return ok;
}

std::wstring Widen(const std::string& text) {
    bool ok = false;
    return Convert(text, 0, ok);
}

std::string ToUtf8(const wchar_t* text, std::size_t count) {
    if (count == 0 || count > static_cast<std::size_t>(INT_MAX)) return std::string();
    const int size = static_cast<int>(count);
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::string();
    std::string out(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, size, &out[0], length, nullptr, nullptr);
    return out;
}

}  // namespace tavrel::win32
