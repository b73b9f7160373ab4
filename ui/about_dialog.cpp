// The about box (dialog 112): everything it shows is in its template, and only
// OK closes it.
#include <windows.h>

#include "res/resource.h"
#include "ui/dialogs.h"
#include "ui/ok_only_dialog.h"
#include "ui/template_module.h"

void showAbout(HWND owner) {
    DialogBoxParamA(templateModule(owner), MAKEINTRESOURCEA(IDD_ABOUT), owner, okOnlyDialogProc, 0);
}
