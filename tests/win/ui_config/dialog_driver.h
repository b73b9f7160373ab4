// Helpers of the configuration dialog's tests, on top of the shared dialog
// driver: control states, clicks, message boxes.
#pragma once

#include "tests/support/dialog_driver.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

namespace dialog_driver {

// Generous: Wine is slow to start, never slow to fail.
constexpr auto PATIENCE = std::chrono::seconds(30);

// Polls until the condition holds; false when it never did.
inline bool waitFor(const std::function<bool()>& condition) {
    const auto end = std::chrono::steady_clock::now() + PATIENCE;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        Sleep(20);
    }
    return true;
}

// A dialog or message box of this process with the given title, once it is
// shown: the dialog manager shows a modal dialog after its initialisation.
inline HWND findDialog(const char* title) {
    HWND found = nullptr;
    waitFor([&] {
        found = FindWindowA("#32770", title);
        return found != nullptr && IsWindowVisible(found);
    });
    return found != nullptr && IsWindowVisible(found) ? found : nullptr;
}

// A dialog that keeps itself hidden, once it exists.
inline HWND findHiddenDialog(const char* title) {
    HWND found = nullptr;
    waitFor([&] {
        found = FindWindowA("#32770", title);
        return found != nullptr;
    });
    return found;
}

inline std::string itemText(HWND dialog, int id) {
    return windowText(GetDlgItem(dialog, id));
}

inline bool checked(HWND dialog, int id) {
    return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

inline bool enabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

// Clicks a button without waiting for what the click opens.
inline void click(HWND dialog, int id) {
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// Clicks a button and waits until the dialog has handled the click.
inline void clickNow(HWND dialog, int id) {
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

inline void setItemText(HWND dialog, int id, const std::string& text) {
    SendDlgItemMessageA(dialog, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// The text of a message box (its text control has the id 0xFFFF).
inline std::string messageText(HWND box) {
    return itemText(box, 0xFFFF);
}

// Answers a message box with one of its buttons.
inline void answer(HWND box, int button) {
    PostMessageA(box, WM_COMMAND, button, 0);
}

// The shared driver: modal dialogs driven from a second thread, window texts.
using ::driveModal;
using ::windowText;

} // namespace dialog_driver
