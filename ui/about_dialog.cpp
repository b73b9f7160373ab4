// The about box (dialog 112): everything it shows is in its template, and only
// OK closes it.
#include <windows.h>

#include "app/program.h"
#include "res/resource.h"
#include "ui/dialogs.h"
#include "ui/dpi.h"
#include "ui/ok_only_dialog.h"

namespace {

// The icon control of the template loads the icon at the system's size; it is
// given the program's icon at the large-icon size of the dialog's DPI instead.
void showProgramIcon(HWND dialog, int dpi) {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            SendMessageA(child, STM_SETICON,
                         reinterpret_cast<WPARAM>(largeIconForDpi(instance, IDI_PROGRAM, dpi)), 0);
        }
    }
}

INT_PTR CALLBACK aboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_INITDIALOG) {
        showProgramIcon(dialog, windowDpi(dialog));
    } else if (message == WM_DPICHANGED) {
        showProgramIcon(dialog, LOWORD(wParam));
    }
    return okOnlyDialogProc(dialog, message, wParam, lParam);
}

} // namespace

void showAbout(HWND owner) {
    DialogBoxParamA(program::instance(), MAKEINTRESOURCEA(IDD_ABOUT), owner, aboutProc, 0);
}
