// SPDX-License-Identifier: GPL-3.0-or-later
// Texts are UTF-8 to the program and UTF-16 to Windows: the conversions both ways.
#pragma once

#include <cstddef>
#include <string>

namespace tavrel::win32 {

// False, with `wide` empty, for bytes that are not UTF-8.
bool ToUtf16(const std::string& text, std::wstring& wide);
// Bytes that are not UTF-8 become replacement characters: for texts only shown.
std::wstring Widen(const std::string& text);
std::string ToUtf8(const wchar_t* text, std::size_t count);

}  // namespace tavrel::win32
