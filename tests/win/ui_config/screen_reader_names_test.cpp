// What a screen reader calls each field, found as Active Accessibility finds it:
// the nearest static text before it, searching back no further than a control
// that starts a group and takes the focus.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>

#include "app/alarm_window_ids.h"
#include "res/resource.h"
#include "tests/support/window_driver.h"
#include "ui/appointment_editor_ids.h"
#include "ui/appointment_list_dialog_ids.h"
#include "ui/config_dialog_ids.h"
#include "ui/on_demand.h"
#include "ui/repeat_dialog_ids.h"
#include "ui/sound_selection_ids.h"

namespace {

INT_PTR CALLBACK plainDialogProc(HWND, UINT, WPARAM, LPARAM) noexcept {
    return FALSE;
}

std::string labelOf(HWND control) {
    for (HWND at = GetWindow(control, GW_HWNDPREV); at != nullptr;
         at = GetWindow(at, GW_HWNDPREV)) {
        char kind[16] = "";
        GetClassNameA(at, kind, sizeof kind);
        if (lstrcmpiA(kind, "Static") == 0) {
            return windowText(at);
        }
        const LONG_PTR style = GetWindowLongPtrA(at, GWL_STYLE);
        if ((style & (WS_GROUP | WS_TABSTOP)) == (WS_GROUP | WS_TABSTOP)) {
            break;
        }
    }
    return "";
}

// Every edit, drop-down, list and date picker the user reaches (buttons carry
// their own text; the position buttons get theirs by dynamic annotation).
TEST(ScreenReaderNames, EachFieldIsNamedByItsLabel) {
    loadCommonControls();
    const std::map<int, std::map<int, std::string>> dialogs = {
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
        {IDD_REPEAT, {{IDC_RPT_KIND, "Wiederholen:"}, {IDC_RPT_INTERVAL, "alle"}}},
        {IDD_STANDARD_SOUND,
         {{IDC_SOUND_EVENTS, "Bitte das Windows Ereignis w\xE4hlen, dessen zugeordneter Sound "
                             "bei Alarm abgespielt werden soll."}}},
    };
    for (const auto& [resource, labels] : dialogs) {
        const HWND dialog = CreateDialogParamA(
            GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resource), nullptr, plainDialogProc, 0);
        ASSERT_NE(dialog, nullptr) << resource;
        for (const auto& [id, label] : labels) {
            EXPECT_EQ(labelOf(GetDlgItem(dialog, id)), label) << resource << ", " << id;
        }
        DestroyWindow(dialog);
    }
}

} // namespace
