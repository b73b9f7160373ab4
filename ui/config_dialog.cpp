// The configuration dialog (template 102): edits the program's settings and
// leads to the two ways of changing the alarm sound.
#include "ui/config_dialog.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "app/program.h"
#include "res/resource.h"
#include "store/registry.h"
#include "store/settings.h"
#include "store/sound_event.h"
#include "ui/config_dialog_ids.h"
#include "ui/config_rules.h"
#include "ui/dialog_text.h"
#include "ui/dialogs.h"
#include "ui/sound_selection.h"

namespace {

// Sound file names are read with room for 259 characters.
constexpr std::size_t SOUND_FILE_CHARS = 259;

const char* const NO_RIGHTS_TEXT =
    "Sorry!\r\nKeine ausreichenden Rechte.\r\nUm diese Option zu ändern, sind "
    "Administrationsrechte erforderlich.";

std::optional<std::string> systemLoginName() {
    char name[LOGIN_NAME_CHARS + 1];
    DWORD size = sizeof name;
    if (!GetUserNameA(name, &size)) {
        return std::nullopt;
    }
    return std::string(name);
}

LoginNameQuery loginNameQuery = systemLoginName;

bool isChecked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void check(HWND dialog, int id, bool on) {
    CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

void enable(HWND dialog, int id, bool on) {
    EnableWindow(GetDlgItem(dialog, id), on ? TRUE : FALSE);
}

void showUserGroupCaption(HWND dialog, bool userdata) {
    const std::string caption =
        userGroupCaption(userdata, userdata ? loginNameQuery() : std::nullopt);
    SetDlgItemTextA(dialog, IDC_CFG_USER_GROUP, caption.c_str());
}

// Shows the number in the edit and binds the spin to it. The range binds only
// the arrows: the spin starts from the nearest number in its range, and the
// edit then shows the stored number, even one outside the range.
void showNumber(HWND dialog, int edit, int spin, std::int32_t value, SpinRange range) {
    const HWND spinControl = GetDlgItem(dialog, spin);
    SendMessageA(spinControl, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(dialog, edit)), 0);
    SendMessageA(spinControl, UDM_SETRANGE32, static_cast<WPARAM>(range.low), range.high);
    SendMessageA(spinControl, UDM_SETPOS32, 0,
                 std::clamp<std::int32_t>(value, range.low, range.high));
    SetDlgItemInt(dialog, edit, static_cast<UINT>(value), FALSE);
}

std::int32_t readNumber(HWND dialog, int edit) {
    BOOL ok = FALSE;
    const UINT value = GetDlgItemInt(dialog, edit, &ok, FALSE);
    return ok ? static_cast<std::int32_t>(value) : 0;
}

void refuseWithoutRights(HWND dialog, const char* title) {
    MessageBoxA(dialog, NO_RIGHTS_TEXT, title, MB_ICONERROR);
}

void open(HWND dialog) {
    const Settings& settings = program::settings();
    Registry& registry = systemRegistry();

    check(dialog, IDC_CFG_USERDATA, settings.userdata);
    showUserGroupCaption(dialog, settings.userdata);

    const StandardSoundEvent standard = readStandardSoundEvent(registry);
    SetDlgItemTextA(dialog, IDC_CFG_STANDARD_SOUND, standard.label.c_str());
    SetDlgItemTextA(dialog, IDC_CFG_STANDARD_SOUND_KEY, standard.event.c_str());
    enable(dialog, IDC_CFG_STANDARD_SOUND, false);

    check(dialog, IDC_CFG_ON_AFTER_START, settings.onafterstart);
    check(dialog, IDC_CFG_OFF_AFTER_START, !settings.onafterstart);
    check(dialog, IDC_CFG_ON_DEMAND, settings.onondemand);
    check(dialog, IDC_CFG_DELETE_OLD, settings.deleteold);
    check(dialog, IDC_CFG_SHOW_OLD, !settings.deleteold);

    // The alarm window always opens, so "Nur Tray Icon" is never offered.
    check(dialog, IDC_CFG_TRAY_ONLY, false);
    enable(dialog, IDC_CFG_TRAY_ONLY, false);
    check(dialog, IDC_CFG_TRAY_AND_WINDOW, true);

    showNumber(dialog, IDC_CFG_ALARM_OFFSET, IDC_CFG_ALARM_OFFSET_SPIN, settings.alarmoffset,
               ALARM_OFFSET_RANGE);

    for (const int button : POSITION_BUTTONS) {
        check(dialog, button, false);
    }
    check(dialog, IDC_CFG_POS_CENTRE, false);
    check(dialog, positionButton(settings.alarmpos), true);

    check(dialog, IDC_CFG_PLAY_SOUND, settings.playsound);
    check(dialog, IDC_CFG_REPEAT_SOUND, settings.repeatsound);

    const std::string soundFile = readAlarmSoundFile(registry, standard.event);
    SetDlgItemTextA(dialog, IDC_CFG_SOUND_FILE, soundFile.c_str());
    SetDlgItemTextA(dialog, IDC_CFG_SOUND_FILE_AT_OPENING, soundFileAtOpening(soundFile).c_str());
    enable(dialog, IDC_CFG_REPEAT_SOUND, settings.playsound);
    enable(dialog, IDC_CFG_SOUND_FILE_CHANGE, settings.playsound);
    enable(dialog, IDC_CFG_SOUND_FILE, false);

    showNumber(dialog, IDC_CFG_ALARM_END, IDC_CFG_ALARM_END_SPIN, settings.alarmend,
               ALARM_END_RANGE);
    showNumber(dialog, IDC_CFG_ALARM_REPEAT, IDC_CFG_ALARM_REPEAT_SPIN, settings.alarmrepeat,
               ALARM_REPEAT_RANGE);
}

// OK: the record first (the running program uses it at once), then the save.
void confirm(HWND dialog) {
    Settings& settings = program::settings();
    settings.userdata = isChecked(dialog, IDC_CFG_USERDATA);
    settings.onafterstart = isChecked(dialog, IDC_CFG_ON_AFTER_START);
    settings.deleteold = isChecked(dialog, IDC_CFG_DELETE_OLD);
    settings.showalarmwindow = isChecked(dialog, IDC_CFG_TRAY_AND_WINDOW);
    settings.onondemand = isChecked(dialog, IDC_CFG_ON_DEMAND);
    settings.alarmoffset = readNumber(dialog, IDC_CFG_ALARM_OFFSET);
    settings.alarmend = readNumber(dialog, IDC_CFG_ALARM_END);
    settings.alarmrepeat = readNumber(dialog, IDC_CFG_ALARM_REPEAT);
    settings.alarmpos = positionFromButtons([dialog](int id) { return isChecked(dialog, id); });
    settings.playsound = isChecked(dialog, IDC_CFG_PLAY_SOUND);
    settings.repeatsound = isChecked(dialog, IDC_CFG_REPEAT_SOUND);

    const bool modified =
        SendDlgItemMessageA(dialog, IDC_CFG_STANDARD_SOUND_KEY, EM_GETMODIFY, 0, 0) != 0;
    const std::optional<std::string> standardEvent = standardSoundEventToSave(
        modified, dialogItemText(dialog, IDC_CFG_STANDARD_SOUND_KEY, SOUND_EVENT_CHARS));
    saveSettings(systemRegistry(), settings, standardEvent ? &*standardEvent : nullptr);
}

// Abbrechen: a sound file changed in the control panel during this visit goes back.
void cancel(HWND dialog) {
    const std::string shown = dialogItemText(dialog, IDC_CFG_SOUND_FILE, SOUND_FILE_CHARS);
    const std::string atOpening =
        dialogItemText(dialog, IDC_CFG_SOUND_FILE_AT_OPENING, SOUND_FILE_CHARS);
    restoreAlarmSoundFile(systemRegistry(), atOpening, &shown);
}

void userdataClicked(HWND dialog) {
    const bool nowChecked = isChecked(dialog, IDC_CFG_USERDATA);
    if (isAdministrator()) {
        showUserGroupCaption(dialog, nowChecked);
        return;
    }
    check(dialog, IDC_CFG_USERDATA, !nowChecked);
    refuseWithoutRights(dialog, "jeder User hat eigene Termine");
}

void standardSoundClicked(HWND dialog) {
    if (isAdministrator()) {
        showStandardSoundDialog(dialog);
        return;
    }
    refuseWithoutRights(dialog, "Standard Alarm-Sound");
}

void soundFileClicked(HWND dialog) {
    ControlPanelProcess panel;
    if (launchSoundControlPanel(dialog, panel)) {
        waitForSoundControlPanel(dialog, panel);
    }
}

bool command(HWND dialog, int id, int notification) {
    switch (id) {
    case IDOK:
        confirm(dialog);
        EndDialog(dialog, IDOK);
        return true;
    case IDCANCEL:
        cancel(dialog);
        EndDialog(dialog, IDCANCEL);
        return true;
    case IDC_CFG_USERDATA:
        if (notification != BN_CLICKED) {
            return false;
        }
        userdataClicked(dialog);
        return true;
    case IDC_CFG_STANDARD_SOUND_CHANGE:
        standardSoundClicked(dialog);
        return true;
    case IDC_CFG_PLAY_SOUND: {
        const bool play = isChecked(dialog, IDC_CFG_PLAY_SOUND);
        enable(dialog, IDC_CFG_REPEAT_SOUND, play);
        enable(dialog, IDC_CFG_SOUND_FILE_CHANGE, play);
        return true;
    }
    case IDC_CFG_SOUND_FILE_CHANGE:
        soundFileClicked(dialog);
        return true;
    default:
        return false;
    }
}

INT_PTR CALLBACK configDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) noexcept {
    try {
        switch (message) {
        case WM_INITDIALOG:
            open(dialog);
            return TRUE; // the platform puts the focus on the first control that takes it
        case WM_COMMAND:
            return command(dialog, LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
        default:
            return FALSE;
        }
    } catch (...) {
        return FALSE; // nothing may unwind into the dialog manager
    }
}

} // namespace

LoginNameQuery setLoginNameQuery(LoginNameQuery query) {
    const LoginNameQuery previous = loginNameQuery;
    loginNameQuery = query ? query : systemLoginName;
    return previous;
}

void showConfiguration(HWND owner) {
    DialogBoxParamA(program::instance(), MAKEINTRESOURCEA(IDD_CONFIGURATION), owner,
                    configDialogProc, 0);
}
