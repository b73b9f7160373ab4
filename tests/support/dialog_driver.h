// Drives a modal dialog of the program from a second thread: finds it by its
// title, sends it clicks, keys and notifications, and reads its controls back.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Runs show() on this thread (it opens a modal dialog and returns when the
// dialog closes) while drive() runs on a second thread with the dialog found
// by its title, visible and initialised. A dialog still open after drive() is
// a failure; it is then closed so that the next test can run.
void driveModal(const char* title, const std::function<void()>& show,
                const std::function<void(HWND dialog)>& drive);

// The visible top-level window with this title, waiting for it up to 30 s.
HWND waitForWindow(const char* title);

// True once the window is gone or hidden, waiting up to limitMs.
bool waitUntilClosed(HWND window, DWORD limitMs = 30000);

// True once the window is destroyed, waiting up to 30 s.
bool waitUntilDestroyed(HWND window);

// Returns once the dialogs' thread has handled every message posted to it
// before, and is back in a message loop.
void settle();

std::string windowText(HWND window);

// Posts a command as a click on the control would: the dialog's thread may
// open a nested modal dialog without blocking the driver, and a command that
// ends the dialog leaves what it posts itself in the queue. (A command sent
// from another thread is handled inside the dialog loop's wait for messages,
// and Wine's loop then drops the next posted message once the dialog ended.)
void postCommand(HWND dialog, int id);

// Sends a command and waits until the dialog has handled it; for commands that
// leave the dialog open.
void sendCommand(HWND dialog, int id);

// The control that has the focus in the window's thread.
HWND focusOf(HWND window);

// Posts a key press to the control that has the focus in the dialog's thread,
// as the keyboard would, so that the dialog manager translates it.
void pressKey(HWND dialog, WPARAM key);

// Posts NM_DBLCLK from the list view with the given item index (-1: no row).
void postDoubleClick(HWND dialog, int listId, int item);

// Sends NM_DBLCLK and reports whether the dialog handled it within 5 s; a
// dialog that opened a nested modal dialog instead has not.
bool sendDoubleClickAndReturn(HWND dialog, int listId, int item);

struct ListRow {
    std::string text;
    std::string time;
};
std::vector<ListRow> listRows(HWND list);

// Every child window in tab order as "Class:text", e.g. "Button:OK".
std::vector<std::string> childTexts(HWND dialog);
