// Control ids of the appointment list (dialog 113), shared with its script and the editor.
#pragma once

#define IDC_APPOINTMENTS 1014
#define IDC_NEW 1015
#define IDC_LIST_HINT 1034
#define IDC_IMPORT 1040
#define IDC_EXPORT 1041
// The context menu of a series' row: "Nächsten Termin überspringen".
#define IDM_SKIP_NEXT 1052
