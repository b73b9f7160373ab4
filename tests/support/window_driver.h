// Finds and waits for the program's windows, pumps messages, reads controls back
// and drives modal dialogs from a second thread: what every test of a window uses.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

// Generous: Wine is slow to start things, never slow to fail.
constexpr std::chrono::milliseconds PATIENCE = std::chrono::seconds(30);

// Polls until the condition holds; false when it did not within the limit.
bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit = PATIENCE);

// Dispatches every message waiting for this thread, without waiting. Returns the
// exit code of a quit message found among them, or -1.
int pumpMessages();

// --- finding windows ----------------------------------------------------------

// The visible top-level window with this title, waiting for it.
HWND waitForWindow(const char* title);
// A dialog or message box (class "#32770") with the title, once it is shown.
HWND waitForDialog(const char* title);
// A dialog that keeps itself hidden, once it exists.
HWND waitForHiddenDialog(const char* title);
// True once the window is gone or hidden, waiting up to limitMs.
bool waitUntilClosed(HWND window, DWORD limitMs = 30000);
// True once the window is destroyed.
bool waitUntilDestroyed(HWND window);

// --- reading windows ------------------------------------------------------------

std::string windowText(HWND window);
std::string itemText(HWND dialog, int id);
bool checked(HWND dialog, int id);
bool enabled(HWND dialog, int id);
// The control's own visible flag, which holds while its window is hidden.
bool itemShown(HWND dialog, int id);
// The text of a message box (its text control has the id 0xFFFF).
std::string messageText(HWND box);
// The control that has the focus in the window's thread.
HWND focusOf(HWND window);
// Every child window in z order as "Class:text", e.g. "Button:OK".
std::vector<std::string> childTexts(HWND dialog);

struct ListRow {
    std::string text;
    std::string time;
};
// The first two columns of every row of a list view.
std::vector<ListRow> listRows(HWND list);

// --- driving modal dialogs from a second thread -----------------------------------

// Runs show() on this thread (it opens a modal dialog and returns when the
// dialog closes) while drive() runs on a second thread with the dialog found
// by its title, visible and initialised. A dialog still open after drive() is
// a failure; it is then closed so that the next test can run.
void driveModal(const char* title, const std::function<void()>& show,
                const std::function<void(HWND dialog)>& drive);

// Returns once the dialogs' thread has handled every message posted to it
// before, and is back in a message loop.
void settle();

// Posts a command as a click on the control would: the dialog's thread may
// open a nested modal dialog without blocking the driver, and a command that
// ends the dialog leaves what it posts itself in the queue. (A command sent
// from another thread is handled inside the dialog loop's wait for messages,
// and Wine's loop then drops the next posted message once the dialog ended.)
void postCommand(HWND dialog, int id);
// Sends a command and waits until the dialog has handled it; for commands that
// leave the dialog open.
void sendCommand(HWND dialog, int id);
// Clicks a button without waiting for what the click opens.
void click(HWND dialog, int id);
// Clicks a button and waits until the dialog has handled the click.
void clickNow(HWND dialog, int id);
void setItemText(HWND dialog, int id, const std::string& text);
// Answers a message box with one of its buttons.
void answer(HWND box, int button);
// Types a path into the system's open or save dialog (its file name field, the first edit
// anywhere in it) and presses its OK button.
void chooseInFileDialog(HWND fileDialog, const std::string& path);
// Posts a key press to the control that has the focus in the dialog's thread,
// as the keyboard would, so that the dialog manager translates it.
void pressKey(HWND dialog, WPARAM key);
// Posts NM_DBLCLK from the list view with the given item index (-1: no row).
void postDoubleClick(HWND dialog, int listId, int item);
// Sends NM_DBLCLK and reports whether the dialog handled it within 5 s; a
// dialog that opened a nested modal dialog instead has not.
bool sendDoubleClickAndReturn(HWND dialog, int listId, int item);
