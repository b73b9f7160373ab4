// Reading a dialog control's text into a string, cut as a fixed buffer would cut it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

// The text of control id, at most maxChars characters.
inline std::string dialogItemText(HWND dialog, int id, std::size_t maxChars) {
    std::string text(maxChars + 1, '\0');
    const UINT length = GetDlgItemTextA(dialog, id, text.data(), static_cast<int>(text.size()));
    text.resize(length);
    return text;
}
