// The procedure of dialogs that only OK closes.
#pragma once

#include <windows.h>

// Closes the dialog with 1 on OK (the button or Enter) and handles nothing else:
// the cancel command of Escape and the close box leaves the dialog open.
INT_PTR CALLBACK okOnlyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
