// The about box (dialog 112): everything it shows is in its template, and only
// OK closes it.
#include <windows.h>

#include <algorithm>

#include "core/no_throw.h"
#include "res/resource.h"
#include "ui/dialogs.h"
#include "ui/dpi.h"
#include "ui/ok_only_dialog.h"
#include "ui/template_module.h"

namespace {

// The room the template leaves the icon, in dialog units: from its corner (11, 8)
// up to the name on its right (x 37) and the line below it (y 32).
constexpr int ICON_ROOM_WIDTH = 26;
constexpr int ICON_ROOM_HEIGHT = 24;

// The icon control of the template loads the icon at the system's size; it is
// given the program's icon at the large-icon size of the dialog's DPI instead,
// or smaller where the dialog's font grows less than the DPI and would leave
// less room (the icon never covers the texts).
void showProgramIcon(HWND dialog, int dpi) {
    RECT room{0, 0, ICON_ROOM_WIDTH, ICON_ROOM_HEIGHT};
    MapDialogRect(dialog, &room);
    const int size = std::min(systemMetricForDpi(SM_CXICON, dpi),
                              drawnIconSizeWithin(std::min(room.right, room.bottom)));
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            SendMessageA(child, STM_SETICON,
                         reinterpret_cast<WPARAM>(iconOfSize(instance, IDI_PROGRAM, size)), 0);
        }
    }
}

// Posted to itself after a change of DPI (wParam the new DPI): the icon's room is
// measured once the dialog manager has scaled the dialog's font.
constexpr UINT MSG_REFIT_ICON = WM_APP + 1;

INT_PTR CALLBACK aboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_DPICHANGED) {
        PostMessageA(dialog, MSG_REFIT_ICON, LOWORD(wParam), 0);
    }
    if (message == WM_INITDIALOG || message == MSG_REFIT_ICON) {
        noThrow<int>(0, [&] {
            showProgramIcon(dialog, message == WM_INITDIALOG ? windowDpi(dialog)
                                                             : static_cast<int>(wParam));
            return 0;
        });
    }
    return okOnlyDialogProc(dialog, message, wParam, lParam);
}

} // namespace

void showAbout(HWND owner) {
    DialogBoxParamA(templateModule(owner), MAKEINTRESOURCEA(IDD_ABOUT), owner, aboutProc, 0);
}
