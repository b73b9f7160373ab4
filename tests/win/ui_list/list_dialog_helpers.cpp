// Opening and closing the editor from the appointment list.
#include "list_dialog_helpers.h"

#include <gtest/gtest.h>

#include "ui/appointment_list_dialog_ids.h"

HWND openEditor(HWND listDialog, int row) {
    if (row >= 0) {
        postDoubleClick(listDialog, IDC_APPOINTMENTS, row);
    } else {
        postCommand(listDialog, IDC_NEW);
    }
    return waitForWindow(row >= 0 ? CHANGE_TITLE : NEW_TITLE);
}

void closeEditor(HWND editor, int button) {
    postCommand(editor, button);
    EXPECT_TRUE(waitUntilDestroyed(editor));
    settle();
}

bool setPicker(HWND dialog, int picker, SYSTEMTIME time) {
    return SendDlgItemMessageA(dialog, picker, DTM_SETSYSTEMTIME, GDT_VALID,
                               reinterpret_cast<LPARAM>(&time)) != 0;
}
