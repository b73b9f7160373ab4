// The tray icon component against a scripted shell: its states, the records it
// hands over, the re-add when the taskbar returns, the clicks and keys on the
// icon, and the balloon.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "res/resource.h"
#include "tests/support/platform_recorder.h"
#include "tests/support/window_driver.h"
#include "tray/csytemtry.h"

namespace {

constexpr UINT notifyMessage = 32778;
constexpr UINT iconId = IDM_TRAY; // also the id of the pop-up menu resource

auto& shellCalls = PlatformRecorder::shellCalls;
auto& shellAnswers = PlatformRecorder::shellAnswers;

// The window that receives the menu message and the commands.
struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Received> received;
UINT menuDefaultItem = 99; // the pop-up menu's default position, read while it exists
UINT menuFirstCommand = 0;

LRESULT CALLBACK targetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND || message == TrayIcon::MENU_MESSAGE) {
        received.push_back({message, wParam, lParam});
    }
    if (message == TrayIcon::MENU_MESSAGE) {
        const HMENU menu = reinterpret_cast<HMENU>(lParam);
        menuDefaultItem = GetMenuDefaultItem(menu, TRUE, 0);
        menuFirstCommand = GetMenuItemID(menu, 0);
        // As the main window does: name the switch's action before the menu opens.
        ModifyMenuA(menu, IDM_TOGGLE, MF_BYCOMMAND | MF_STRING, IDM_TOGGLE, "Zodora AUS");
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HICON icon(int id) {
    return static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, 0));
}

std::string tooltipOf(const NOTIFYICONDATAA& data) {
    return std::string(data.szTip, 64);
}

std::string padded(const std::string& text) {
    return text + std::string(64 - text.size(), '\0');
}

class TrayIconTest : public ::testing::Test {
  protected:
    void SetUp() override {
        PlatformRecorder::reset();
        received.clear();
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = targetProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "TrayTestTarget";
        RegisterClassExA(&windowClass);
        target = CreateWindowExA(0, "TrayTestTarget", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(target, nullptr);
        onIcon = icon(IDI_ON);
        offIcon = icon(IDI_OFF);
        ASSERT_NE(onIcon, nullptr);
        ASSERT_NE(offIcon, nullptr);
    }
    void TearDown() override {
        DestroyWindow(target);
        DestroyIcon(onIcon);
        DestroyIcon(offIcon);
    }

    // Owned by the test, so that a failed assertion leaves no icon behind.
    std::unique_ptr<TrayIcon> make(bool startHidden = false, const char* tooltip = "Quarv Zodora",
                                   HWND notifyWindow = nullptr, UINT id = iconId) {
        return std::make_unique<TrayIcon>(
            GetModuleHandleA(nullptr), notifyWindow ? notifyWindow : target, notifyMessage, tooltip,
            onIcon, id, startHidden, PlatformRecorder::shell());
    }

    static HWND ownWindow() { return FindWindowA("TrayIconClass", nullptr); }

    // The taskbar was re-created: the shell broadcasts this to every top-level window.
    static void taskbarCreated() {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0,
                            SMTO_ABORTIFHUNG, 5000, &result);
    }

    size_t callsAfter(size_t before) const { return shellCalls.size() - before; }

    HWND target = nullptr;
    HICON onIcon = nullptr;
    HICON offIcon = nullptr;
};

TEST_F(TrayIconTest, ShownIconIsAddedWithTheFirstRecordAndChangedThroughTheShell) {
    auto tray = make();
    ASSERT_EQ(shellCalls.size(), 1u);
    const NOTIFYICONDATAA& add = shellCalls[0].data;
    EXPECT_EQ(shellCalls[0].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(add.cbSize, static_cast<DWORD>(sizeof(NOTIFYICONDATAA)));
    EXPECT_EQ(add.hWnd, target);
    EXPECT_EQ(add.uID, iconId);
    EXPECT_EQ(add.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP));
    EXPECT_EQ(add.uCallbackMessage, notifyMessage);
    EXPECT_EQ(add.hIcon, onIcon);
    EXPECT_EQ(tooltipOf(add), padded("Quarv Zodora"));

    EXPECT_TRUE(tray->setIcon(offIcon));
    ASSERT_EQ(shellCalls.size(), 2u);
    EXPECT_EQ(shellCalls[1].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(shellCalls[1].data.uFlags, static_cast<UINT>(NIF_ICON));
    EXPECT_EQ(shellCalls[1].data.hIcon, offIcon);

    EXPECT_TRUE(tray->setTooltip("Zodora ist aus"));
    ASSERT_EQ(shellCalls.size(), 3u);
    EXPECT_EQ(shellCalls[2].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(shellCalls[2].data.uFlags, static_cast<UINT>(NIF_TIP | NIF_SHOWTIP));
    EXPECT_EQ(tooltipOf(shellCalls[2].data), padded("Zodora ist aus"));

    // The shell's refusal reaches the caller.
    shellAnswers = {FALSE, FALSE};
    EXPECT_FALSE(tray->setIcon(onIcon));
    EXPECT_FALSE(tray->setTooltip("x"));

    EXPECT_TRUE(tray->remove());
    ASSERT_EQ(shellCalls.size(), 6u);
    EXPECT_EQ(shellCalls[5].message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(shellCalls[5].data.uFlags, 0u);
    EXPECT_EQ(shellCalls[5].data.uID, iconId);

    // Removed: changes are only stored, nothing more reaches the shell.
    EXPECT_TRUE(tray->remove());
    EXPECT_TRUE(tray->hide());
    EXPECT_TRUE(tray->setIcon(offIcon));
    EXPECT_TRUE(tray->setTooltip("still stored"));
    tray.reset();
    EXPECT_EQ(shellCalls.size(), 6u);
}

TEST_F(TrayIconTest, HideBeforeDestroyDeletesTheIconOnce) {
    auto tray = make();
    EXPECT_TRUE(tray->hide());
    ASSERT_EQ(shellCalls.size(), 2u);
    EXPECT_EQ(shellCalls[1].message, static_cast<DWORD>(NIM_DELETE));
    tray.reset();
    EXPECT_EQ(shellCalls.size(), 2u);
}

TEST_F(TrayIconTest, RefusedDeleteLeavesTheIconShown) {
    auto tray = make();
    shellAnswers = {FALSE, FALSE};
    EXPECT_FALSE(tray->remove());
    EXPECT_FALSE(tray->hide());
    EXPECT_EQ(shellCalls.size(), 3u);
    EXPECT_TRUE(tray->setIcon(offIcon)); // still shown: goes to the shell
    EXPECT_EQ(shellCalls.size(), 4u);
    tray.reset(); // tries once more
    ASSERT_EQ(shellCalls.size(), 5u);
    EXPECT_EQ(shellCalls[4].message, static_cast<DWORD>(NIM_DELETE));
}

TEST_F(TrayIconTest, CreatedHiddenTouchesTheShellNever) {
    auto tray = make(true);
    EXPECT_TRUE(shellCalls.empty());
    EXPECT_TRUE(tray->setIcon(offIcon));
    EXPECT_TRUE(tray->setTooltip("stored"));
    EXPECT_TRUE(tray->hide());
    EXPECT_TRUE(tray->remove());
    taskbarCreated();
    tray.reset();
    EXPECT_TRUE(shellCalls.empty());
}

TEST_F(TrayIconTest, RefusedAddStoresChangesAndAddsThemWhenTheTaskbarReturns) {
    shellAnswers = {FALSE};
    auto tray = make();
    ASSERT_EQ(shellCalls.size(), 1u);
    EXPECT_TRUE(tray->setIcon(offIcon));
    EXPECT_TRUE(tray->setTooltip("keine Termine"));
    EXPECT_TRUE(tray->remove()); // never got there: nothing to delete
    EXPECT_EQ(shellCalls.size(), 1u);

    // remove() gave up the pending add: the taskbar's return shows nothing.
    taskbarCreated();
    EXPECT_EQ(shellCalls.size(), 1u);
    tray.reset();

    shellCalls.clear();
    shellAnswers = {FALSE};
    tray = make();
    tray->setIcon(offIcon);
    tray->setTooltip("keine Termine");
    // The taskbar came late; the add is repeated, and refused again.
    shellAnswers = {FALSE};
    taskbarCreated();
    ASSERT_EQ(shellCalls.size(), 2u);
    EXPECT_EQ(shellCalls[1].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_TRUE(tray->setIcon(offIcon));
    EXPECT_EQ(shellCalls.size(), 2u);

    // The next time it works: the stored icon and tooltip are shown.
    taskbarCreated();
    ASSERT_EQ(shellCalls.size(), 3u);
    const NOTIFYICONDATAA& add = shellCalls[2].data;
    EXPECT_EQ(shellCalls[2].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(add.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP));
    EXPECT_EQ(add.hIcon, offIcon);
    EXPECT_EQ(tooltipOf(add), padded("keine Termine"));
    EXPECT_EQ(add.hWnd, target);
    EXPECT_EQ(add.uCallbackMessage, notifyMessage);

    // Shown now: changes go to the shell, and the destructor deletes the icon.
    EXPECT_TRUE(tray->setTooltip("x"));
    EXPECT_EQ(shellCalls.size(), 4u);
    tray.reset();
    ASSERT_EQ(shellCalls.size(), 5u);
    EXPECT_EQ(shellCalls[4].message, static_cast<DWORD>(NIM_DELETE));
}

TEST_F(TrayIconTest, ShownIconIsAddedAgainWhenTheTaskbarIsRecreated) {
    auto tray = make();
    tray->setIcon(offIcon);
    tray->setTooltip("Zodora ist aus");
    const size_t before = shellCalls.size();
    taskbarCreated();
    ASSERT_EQ(callsAfter(before), 1u);
    EXPECT_EQ(shellCalls[before].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(shellCalls[before].data.uFlags,
              static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP));
    EXPECT_EQ(shellCalls[before].data.hIcon, offIcon);
    EXPECT_EQ(tooltipOf(shellCalls[before].data), padded("Zodora ist aus"));

    // The shell still had the icon (the message came without a restart): it is
    // brought up to date instead, and stays shown.
    shellAnswers = {FALSE, TRUE};
    taskbarCreated();
    ASSERT_EQ(callsAfter(before), 3u);
    EXPECT_EQ(shellCalls[before + 2].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(shellCalls[before + 2].data.uFlags,
              static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP));
    tray->setIcon(onIcon);
    EXPECT_EQ(callsAfter(before), 4u);

    // Both refused: the icon is gone; it waits for the next taskbar.
    shellAnswers = {FALSE, FALSE};
    taskbarCreated();
    EXPECT_EQ(callsAfter(before), 6u);
    EXPECT_TRUE(tray->setIcon(offIcon));
    EXPECT_EQ(callsAfter(before), 6u);
    taskbarCreated();
    EXPECT_EQ(callsAfter(before), 7u);
    tray.reset();
}

TEST_F(TrayIconTest, RemovedIconStaysRemovedWhenTheTaskbarIsRecreated) {
    auto tray = make();
    tray->hide();
    const size_t before = shellCalls.size();
    taskbarCreated();
    tray.reset();
    EXPECT_EQ(callsAfter(before), 0u);
}

TEST_F(TrayIconTest, DisabledOnAnOldShell) {
    PlatformRecorder::shellVersion = 0x00000003;
    auto tray = make();
    EXPECT_EQ(ownWindow(), nullptr);
    EXPECT_FALSE(tray->setIcon(offIcon));
    EXPECT_FALSE(tray->setTooltip("x"));
    EXPECT_TRUE(tray->hide());
    EXPECT_TRUE(tray->remove());
    EXPECT_EQ(tray->onNotification(iconId, WM_LBUTTONDBLCLK), 0);
    EXPECT_EQ(tray->onNotification(0, WM_LBUTTONDBLCLK), 0);
    tray.reset();
    EXPECT_TRUE(shellCalls.empty());
    EXPECT_TRUE(received.empty());

    PlatformRecorder::shellVersion = 0x00000004; // the first version with notification icons
    tray = make();
    EXPECT_EQ(shellCalls.size(), 1u);
    tray.reset();
}

TEST_F(TrayIconTest, TooltipIsCutToSixtyThreeCharacters) {
    const std::string seventy(70, 'a');
    const std::string sixtyThree(63, 'a');
    auto tray = make(false, seventy.c_str());
    EXPECT_EQ(tooltipOf(shellCalls[0].data), padded(sixtyThree));

    EXPECT_TRUE(tray->setTooltip((std::string(60, 'b') + "0123456789").c_str()));
    EXPECT_EQ(tooltipOf(shellCalls.back().data), padded(std::string(60, 'b') + "012"));
    // A shorter text after a longer one leaves nothing of the longer behind.
    tray->setTooltip("Termin:\r\nht., 07.12.2026 09:30\r\n\xE4");
    EXPECT_EQ(tooltipOf(shellCalls.back().data),
              padded("Termin:\r\nht., 07.12.2026 09:30\r\n\xE4"));
    tray->setTooltip(sixtyThree.c_str());
    EXPECT_EQ(tooltipOf(shellCalls.back().data), padded(sixtyThree));
    tray.reset();
}

TEST_F(TrayIconTest, OwnWindowIsAHiddenTopLevelPopup) {
    auto tray = make();
    const HWND own = ownWindow();
    ASSERT_NE(own, nullptr);
    EXPECT_FALSE(IsWindowVisible(own));
    EXPECT_EQ(GetAncestor(own, GA_PARENT), GetDesktopWindow()); // not message-only
    EXPECT_TRUE(GetWindowLongPtrA(own, GWL_STYLE) & WS_POPUP);
    char title[8] = "x";
    GetWindowTextA(own, title, sizeof title);
    EXPECT_STREQ(title, "");
    EXPECT_TRUE(GetClassLongPtrA(own, GCL_STYLE) & CS_DBLCLKS);
    tray.reset();
    EXPECT_FALSE(IsWindow(own));
}

TEST_F(TrayIconTest, WithoutANotifyWindowTheOwnWindowGetsTheNotifications) {
    auto tray = std::make_unique<TrayIcon>(GetModuleHandleA(nullptr), nullptr, notifyMessage,
                                           "Quarv Zodora", onIcon, iconId, false,
                                           PlatformRecorder::shell());
    const HWND own = ownWindow();
    ASSERT_EQ(shellCalls.size(), 1u);
    EXPECT_EQ(shellCalls[0].data.hWnd, own);
    EXPECT_EQ(SendMessageA(own, notifyMessage, iconId, WM_MOUSEMOVE), 1);
    EXPECT_EQ(SendMessageA(own, notifyMessage, iconId + 1, WM_MOUSEMOVE), 0);
    tray.reset();
}

TEST_F(TrayIconTest, DoubleClickSendsTheDefaultItemsCommand) {
    auto tray = make();
    EXPECT_EQ(tray->onNotification(iconId, WM_LBUTTONDBLCLK), 1);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].message, static_cast<UINT>(WM_COMMAND));
    EXPECT_EQ(received[0].wParam, static_cast<WPARAM>(IDM_APPOINTMENTS));
    EXPECT_EQ(received[0].lParam, 0);
    tray.reset();
}

TEST_F(TrayIconTest, OtherMouseMessagesAndForeignIconsDoNothing) {
    auto tray = make();
    for (UINT mouse : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE, WM_RBUTTONDOWN, WM_RBUTTONDBLCLK,
                       WM_MBUTTONUP, WM_CONTEXTMENU}) {
        EXPECT_EQ(tray->onNotification(iconId, mouse), 1) << mouse;
    }
    EXPECT_EQ(tray->onNotification(iconId + 1, WM_RBUTTONUP), 0);
    EXPECT_EQ(tray->onNotification(0, WM_LBUTTONDBLCLK), 0);
    pumpMessages();
    EXPECT_TRUE(received.empty());
    tray.reset();
}

TEST_F(TrayIconTest, MissingMenuResourceEndsTheClickWithZero) {
    auto tray = make(false, "x", nullptr, 999);
    EXPECT_EQ(tray->onNotification(999, WM_RBUTTONUP), 0);
    EXPECT_EQ(tray->onNotification(999, WM_LBUTTONDBLCLK), 0);
    EXPECT_TRUE(received.empty());
    tray.reset();
}

// Waits on a second thread for the pop-up menu to open, reads it, and then
// presses the keys given (into the menu's own message loop).
class MenuDriver {
  public:
    explicit MenuDriver(std::vector<WPARAM> keys)
        : thread([this, keys] {
              HWND window = nullptr;
              const bool open = waitFor(
                  [&] {
                      window = FindWindowA("#32768", nullptr);
                      return window != nullptr && IsWindowVisible(window);
                  },
                  std::chrono::minutes(1)); // Wine may be slow
              if (!open) {
                  return;
              }
              menu = reinterpret_cast<HMENU>(SendMessageA(window, MN_GETHMENU, 0, 0));
              RECT placed{};
              GetWindowRect(window, &placed);
              at = POINT{placed.left, placed.top};
              char text[64] = "";
              GetMenuStringA(menu, IDM_TOGGLE, text, sizeof text, MF_BYCOMMAND);
              toggleText = text;
              for (WPARAM key : keys) {
                  PostMessageA(window, WM_KEYDOWN, key, 0);
                  PostMessageA(window, WM_KEYUP, key, 0);
              }
          }) {}
    ~MenuDriver() {
        if (thread.joinable()) {
            thread.join();
        }
    }
    void finish() { thread.join(); }

    std::atomic<HMENU> menu{nullptr};
    std::string toggleText;
    POINT at{}; // where the menu opened

  private:
    std::thread thread;
};

TEST_F(TrayIconTest, RightClickOpensTheMenuAfterTellingTheTarget) {
    auto tray = make();
    MenuDriver driver({VK_ESCAPE});
    EXPECT_EQ(tray->onNotification(iconId, MAKELPARAM(WM_RBUTTONUP, 0)), 1);
    driver.finish();

    // The menu message came first, with the pop-up menu and "Alarme" as its default.
    ASSERT_FALSE(received.empty());
    EXPECT_EQ(received[0].message, TrayIcon::MENU_MESSAGE);
    EXPECT_EQ(received[0].wParam, 0u);
    const HMENU popup = reinterpret_cast<HMENU>(received[0].lParam);
    EXPECT_EQ(driver.menu.load(), popup);
    // What the target wrote into the menu was shown.
    EXPECT_EQ(driver.toggleText, "Zodora AUS");
    // The menu is destroyed afterwards, and a WM_NULL waits for the notify window.
    EXPECT_FALSE(IsMenu(popup));
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, target, WM_NULL, WM_NULL, PM_REMOVE));
    pumpMessages();
    EXPECT_EQ(received.size(), 1u); // closed without a choice: no command
    tray.reset();
}

TEST_F(TrayIconTest, MenuShowsAlarmeAsDefaultAndSendsTheChosenCommand) {
    auto tray = make();
    MenuDriver driver({VK_DOWN, VK_RETURN}); // the first item, "Alarme"
    EXPECT_EQ(tray->onNotification(iconId, WM_RBUTTONUP), 1);
    driver.finish();
    pumpMessages();
    EXPECT_EQ(menuDefaultItem, 0u);
    EXPECT_EQ(menuFirstCommand, static_cast<UINT>(IDM_APPOINTMENTS));
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[1].message, static_cast<UINT>(WM_COMMAND));
    EXPECT_EQ(LOWORD(received[1].wParam), IDM_APPOINTMENTS);
    tray.reset();
}

// Version 4 (asked for with every add): Enter or Space (NIN_KEYSELECT, twice for
// one Enter) sends the default command once per key; the context menu comes at
// the icon's anchor, and after Escape the focus goes back to the notification
// area; a single click and the right button's own messages do nothing.
TEST_F(TrayIconTest, Version4KeysAndContextMenu) {
    PlatformRecorder::speaksVersion4 = TRUE;
    auto tray = make();
    EXPECT_EQ(PlatformRecorder::versionRequests, 1);
    const auto notify = [&](UINT event, UINT id = iconId) {
        return tray->onNotification(MAKEWPARAM(40, 30), MAKELPARAM(event, id));
    };
    PlatformRecorder::tickNow = 100000;
    for (const DWORD later : {0u, GetDoubleClickTime() - 1, GetDoubleClickTime()}) {
        PlatformRecorder::tickNow += later;
        EXPECT_EQ(notify(NIN_KEYSELECT), 1);
    }
    for (const UINT nothing : {NIN_SELECT, WM_RBUTTONUP}) {
        EXPECT_EQ(notify(nothing), 1);
    }
    EXPECT_EQ(notify(WM_CONTEXTMENU, iconId + 1), 0);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[1].wParam, static_cast<WPARAM>(IDM_APPOINTMENTS));

    shellCalls.clear();
    MenuDriver driver({VK_ESCAPE});
    EXPECT_EQ(notify(WM_CONTEXTMENU), 1);
    driver.finish();
    EXPECT_EQ(driver.toggleText, "Zodora AUS");
    EXPECT_EQ(driver.at.x, 40);
    EXPECT_EQ(driver.at.y, 30);
    ASSERT_EQ(shellCalls.size(), 1u);
    EXPECT_EQ(shellCalls[0].message, static_cast<DWORD>(NIM_SETFOCUS));
    tray.reset();
}

// The tooltip, which screen readers read as the icon's name, is never empty; the
// balloon goes out from the shown icon only.
TEST_F(TrayIconTest, TooltipNeverEmptyAndTheBalloon) {
    auto tray = make();
    EXPECT_TRUE(tray->setTooltip(""));
    EXPECT_EQ(tooltipOf(shellCalls.back().data), padded("Quarv Zodora"));
    EXPECT_TRUE(tray->showBalloon("Titel", "Taskleisteneinstellungen \x9B Andere"));
    const NOTIFYICONDATAA& balloon = shellCalls.back().data;
    EXPECT_EQ(balloon.uFlags, static_cast<UINT>(NIF_INFO));
    EXPECT_EQ(balloon.dwInfoFlags, static_cast<DWORD>(NIIF_INFO));
    EXPECT_STREQ(balloon.szInfoTitle, "Titel");
    EXPECT_STREQ(balloon.szInfo, "Taskleisteneinstellungen \x9B Andere");
    tray->hide();
    EXPECT_FALSE(tray->showBalloon("Titel", "Text"));
    tray.reset();
}

} // namespace
