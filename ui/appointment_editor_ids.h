// Control ids of the appointment editor (dialog 115), shared with its script.
#pragma once

#define IDC_EDIT_TEXT 1016
#define IDC_EDIT_DATE 1017
#define IDC_EDIT_TIME 1018
// Also the editor's answer when the user asked to delete the row.
#define IDC_DELETE 1019
// The drop-down list "Wiederholung:".
#define IDC_EDIT_REPEAT 1050
// Beside it: "Mehr…", the dialog "Wiederholung".
#define IDC_EDIT_REPEAT_MORE 1051
