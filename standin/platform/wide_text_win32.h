// Windows only: the host program keeps every text, paths included, in
// UTF-8, and speaks to Windows in UTF-16 through its wide-character
// functions, so that no path is bent through the ANSI code page.
#pragma once

#include <windows.h>

#include <string>

namespace standin {

inline std::wstring Wide(const std::string &text) {
    if (text.empty()) return {};
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
    return wide;
}

inline std::string Narrow(const wchar_t *text, int length = -1) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string narrow(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, narrow.data(), bytes, nullptr, nullptr);
    // A length of -1 counts the terminator too.
    if (length < 0) narrow.pop_back();
    return narrow;
}

}  // namespace standin
