// What a screen reader calls each control of the alarm window and the dialogs,
// found as Active Accessibility finds it: a button by its own text; an edit, a
// drop-down, a list or a date picker by the nearest static text before it,
// searching back no further than a control that starts a group and takes the
// focus (WS_GROUP | WS_TABSTOP).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/alarm_window_ids.h"
#include "res/resource.h"
#include "tests/support/window_driver.h"
#include "ui/appointment_editor_ids.h"
#include "ui/appointment_list_dialog_ids.h"
#include "ui/config_dialog_ids.h"
#include "ui/on_demand.h"
#include "ui/sound_selection_ids.h"

namespace {

INT_PTR CALLBACK plainDialogProc(HWND, UINT, WPARAM, LPARAM) noexcept {
    return FALSE;
}

std::string classOf(HWND control) {
    char name[64] = "";
    GetClassNameA(control, name, sizeof name);
    return name;
}

bool isTextLabel(HWND control) {
    const LONG_PTR type = GetWindowLongPtrA(control, GWL_STYLE) & SS_TYPEMASK;
    return _stricmp(classOf(control).c_str(), "Static") == 0 &&
           (type <= SS_RIGHT || type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP);
}

std::string labelOf(HWND control) {
    for (HWND at = GetWindow(control, GW_HWNDPREV); at != nullptr;
         at = GetWindow(at, GW_HWNDPREV)) {
        if (isTextLabel(at)) {
            return windowText(at);
        }
        const LONG_PTR style = GetWindowLongPtrA(at, GWL_STYLE);
        if ((style & (WS_GROUP | WS_TABSTOP)) == (WS_GROUP | WS_TABSTOP)) {
            break;
        }
    }
    return "";
}

// The name of a control that the user can reach, or "-" for one that is not a
// control of its own (labels, frames, pictures, up-downs beside their edit).
std::string nameOf(HWND control) {
    const std::string kind = classOf(control);
    const LONG_PTR style = GetWindowLongPtrA(control, GWL_STYLE);
    if (_stricmp(kind.c_str(), "Button") == 0) {
        return (style & BS_TYPEMASK) == BS_GROUPBOX ? "-" : windowText(control);
    }
    for (const char* labelled :
         {"Edit", "ComboBox", "ListBox", "SysListView32", "SysDateTimePick32"}) {
        if (_stricmp(kind.c_str(), labelled) == 0) {
            return labelOf(control);
        }
    }
    return "-";
}

struct Dialog {
    int resource;
    std::map<int, std::string> names; // the controls named by a label
};

// Named through dynamic annotation, which the dialog gives them when it opens.
const std::set<int> ANNOTATED = {
    IDC_CFG_POS_LEFT_TOP,  IDC_CFG_POS_LEFT_MIDDLE,  IDC_CFG_POS_LEFT_BOTTOM, IDC_CFG_POS_CENTRE,
    IDC_CFG_POS_RIGHT_TOP, IDC_CFG_POS_RIGHT_MIDDLE, IDC_CFG_POS_RIGHT_BOTTOM};

TEST(ScreenReaderNames, EveryVisibleControlHasItsName) {
    loadCommonControls();
    const Dialog dialogs[] = {
        {IDD_ALARM, {{IDC_ALARM_SNOOZE_MINUTES, "Minuten"}}},
        {IDD_EDITOR,
         {{IDC_EDIT_TEXT, "Text:"},
          {IDC_EDIT_DATE, "Datum:"},
          {IDC_EDIT_TIME, "Zeit:"},
          {IDC_EDIT_REPEAT, "Wiederholung:"}}},
        {IDD_APPOINTMENT_LIST,
         {{IDC_APPOINTMENTS, "Zum \xC4ndern und/oder L\xF6schen: Doppelklick auf den Termin"}}},
        {IDD_CONFIGURATION,
         {{IDC_CFG_STANDARD_SOUND, "Standard Alarm-Sound (Ereignis):"},
          {IDC_CFG_ALARM_OFFSET, "Alarmausl\xF6sung:"},
          {IDC_CFG_SOUND_FILE, "Sound:"},
          {IDC_CFG_ALARM_END, "Alarm automatisch beenden nach"},
          {IDC_CFG_ALARM_REPEAT, "Defaultwert \"Alarm wiederholen\""},
          {IDC_CFG_DATA_FOLDER, "Termindatei in:"}}},
        {IDD_STANDARD_SOUND,
         {{IDC_SOUND_EVENTS, "Bitte das Windows Ereignis w\xE4hlen, dessen zugeordneter Sound "
                             "bei Alarm abgespielt werden soll."}}},
        {IDD_ABOUT, {}},
    };
    for (const Dialog& expected : dialogs) {
        const HWND dialog =
            CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(expected.resource),
                               nullptr, plainDialogProc, 0);
        ASSERT_NE(dialog, nullptr) << expected.resource;
        std::size_t labelled = 0;
        for (HWND control = GetWindow(dialog, GW_CHILD); control != nullptr;
             control = GetWindow(control, GW_HWNDNEXT)) {
            const int id = static_cast<short>(GetDlgCtrlID(control));
            const std::string name = nameOf(control);
            if (name == "-" || !(GetWindowLongPtrA(control, GWL_STYLE) & WS_VISIBLE)) {
                continue;
            }
            SCOPED_TRACE("dialog " + std::to_string(expected.resource) + ", control " +
                         std::to_string(id));
            if (const auto want = expected.names.find(id); want != expected.names.end()) {
                EXPECT_EQ(name, want->second);
                ++labelled;
            } else if (expected.resource == IDD_CONFIGURATION && ANNOTATED.count(id) > 0) {
                EXPECT_EQ(name, "") << "the picture of the screen shows no text";
            } else {
                EXPECT_NE(name, "");
            }
        }
        EXPECT_EQ(labelled, expected.names.size()) << expected.resource;
        DestroyWindow(dialog);
    }
}

} // namespace
