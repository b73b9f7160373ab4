// Finding, waiting for, reading and driving the program's windows.
#include "tests/support/window_driver.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <atomic>
#include <thread>

namespace {

constexpr DWORD POLL_MS = 20;
constexpr DWORD CLOSE_LIMIT_MS = 5000;

// Each posted notification must outlive its handling; the driver keeps them.
NMITEMACTIVATE* keptNotification(HWND dialog, int listId, int item) {
    static NMITEMACTIVATE notifications[64];
    static int next = 0;
    NMITEMACTIVATE* activate = &notifications[next++ % 64];
    *activate = NMITEMACTIVATE{};
    activate->hdr.hwndFrom = GetDlgItem(dialog, listId);
    activate->hdr.idFrom = static_cast<UINT_PTR>(listId);
    activate->hdr.code = NM_DBLCLK;
    activate->iItem = item;
    activate->iSubItem = 0;
    return activate;
}

// A window on the dialogs' thread that counts the markers posted to it: once a
// marker is counted, every message posted to that thread before it is handled.
constexpr UINT MARKER_MESSAGE = WM_APP + 77;
std::atomic<long> markersSeen{0};
HWND markerWindow = nullptr;

LRESULT CALLBACK markerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == MARKER_MESSAGE) {
        ++markersSeen;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void makeMarkerWindow() {
    if (markerWindow != nullptr) {
        return;
    }
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = markerProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "qz_test_marker";
    RegisterClassA(&windowClass);
    markerWindow = CreateWindowA("qz_test_marker", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
}

// The visible window of the class (any class for nullptr) with the title, waiting for it.
HWND waitForVisible(const char* className, const char* title) {
    HWND found = nullptr;
    waitFor([&] {
        found = FindWindowA(className, title);
        return found != nullptr && IsWindowVisible(found);
    });
    return found != nullptr && IsWindowVisible(found) ? found : nullptr;
}

} // namespace

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        Sleep(POLL_MS);
    }
    return true;
}

int pumpMessages() {
    int quitCode = -1;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quitCode = static_cast<int>(message.wParam);
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return quitCode;
}

void settle() {
    const long before = markersSeen;
    PostMessageA(markerWindow, MARKER_MESSAGE, 0, 0);
    const bool seen = waitFor([&] { return markersSeen != before; });
    EXPECT_TRUE(seen) << "the dialogs' thread did not come back to its message loop";
}

bool waitUntilDestroyed(HWND window) {
    return waitFor([window] { return !IsWindow(window); });
}

HWND waitForWindow(const char* title) {
    return waitForVisible(nullptr, title);
}

HWND waitForDialog(const char* title) {
    return waitForVisible("#32770", title);
}

HWND waitForHiddenDialog(const char* title) {
    HWND found = nullptr;
    waitFor([&] { return (found = FindWindowA("#32770", title)) != nullptr; });
    return found;
}

bool waitUntilClosed(HWND window, DWORD limitMs) {
    return waitFor([window] { return !IsWindow(window) || !IsWindowVisible(window); },
                   std::chrono::milliseconds(limitMs));
}

void driveModal(const char* title, const std::function<void()>& show,
                const std::function<void(HWND dialog)>& drive) {
    makeMarkerWindow();
    std::thread driver([&] {
        HWND dialog = waitForWindow(title);
        if (dialog == nullptr) {
            ADD_FAILURE() << "no dialog \"" << title << "\" appeared";
            return;
        }
        drive(dialog);
        if (!waitUntilClosed(dialog, CLOSE_LIMIT_MS)) {
            ADD_FAILURE() << "dialog \"" << title << "\" is still open";
            HWND nested = GetLastActivePopup(dialog);
            if (nested != dialog) {
                PostMessageA(nested, WM_COMMAND, IDCANCEL, 0);
                waitUntilClosed(nested, CLOSE_LIMIT_MS);
            }
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        }
    });
    show();
    driver.join();
}

std::string windowText(HWND window) {
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::string itemText(HWND dialog, int id) {
    return windowText(GetDlgItem(dialog, id));
}

bool checked(HWND dialog, int id) {
    return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool enabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

bool itemShown(HWND dialog, int id) {
    return (GetWindowLongPtrA(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

std::string messageText(HWND box) {
    return itemText(box, 0xFFFF);
}

void click(HWND dialog, int id) {
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void clickNow(HWND dialog, int id) {
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void setItemText(HWND dialog, int id, const std::string& text) {
    SendDlgItemMessageA(dialog, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void answer(HWND box, int button) {
    PostMessageA(box, WM_COMMAND, button, 0);
}

void chooseInFileDialog(HWND fileDialog, const std::string& path) {
    HWND edit = nullptr;
    waitFor([&] {
        EnumChildWindows(
            fileDialog,
            [](HWND child, LPARAM found) -> BOOL {
                char className[16] = {};
                GetClassNameA(child, className, sizeof className);
                if (lstrcmpiA(className, "Edit") != 0 || !IsWindowVisible(child)) {
                    return TRUE;
                }
                *reinterpret_cast<HWND*>(found) = child;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&edit));
        return edit != nullptr;
    });
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageA(fileDialog, WM_COMMAND, IDOK, 0);
}

void postCommand(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void sendCommand(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

HWND focusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) {
        return nullptr;
    }
    return info.hwndFocus;
}

void pressKey(HWND dialog, WPARAM key) {
    HWND target = focusOf(dialog);
    if (target == nullptr) {
        target = dialog;
    }
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

void postDoubleClick(HWND dialog, int listId, int item) {
    NMITEMACTIVATE* activate = keptNotification(dialog, listId, item);
    PostMessageA(dialog, WM_NOTIFY, static_cast<WPARAM>(listId),
                 reinterpret_cast<LPARAM>(activate));
}

bool sendDoubleClickAndReturn(HWND dialog, int listId, int item) {
    NMITEMACTIVATE* activate = keptNotification(dialog, listId, item);
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(dialog, WM_NOTIFY, static_cast<WPARAM>(listId),
                               reinterpret_cast<LPARAM>(activate), SMTO_NORMAL, 5000, &result) != 0;
}

std::vector<ListRow> listRows(HWND list) {
    std::vector<ListRow> rows;
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        ListRow cells;
        for (int column = 0; column < 2; ++column) {
            char text[512] = {};
            LVITEMA item{};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
            (column == 0 ? cells.text : cells.time) = text;
        }
        rows.push_back(cells);
    }
    return rows;
}

std::vector<std::string> childTexts(HWND dialog) {
    std::vector<std::string> texts;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        char className[64] = {};
        GetClassNameA(child, className, sizeof className);
        texts.push_back(std::string(className) + ":" + windowText(child));
    }
    return texts;
}
