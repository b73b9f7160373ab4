// The configuration dialog (template 102): edits the program's settings, leads to
// the two ways of changing the alarm sound, and to the appointment file's folder.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <memory>

#include "core/no_throw.h"
#include "res/resource.h"
#include "store/data_folder.h"
#include "store/sound_event.h"
#include "ui/config_dialog_ids.h"
#include "ui/config_rules.h"
#include "ui/dialog_text.h"
#include "ui/dialogs.h"
#include "ui/on_demand.h"
#include "ui/screen_reader_names.h"
#include "ui/sound_selection.h"
#include "ui/template_module.h"

namespace {

// Sound file names are read with room for 259 characters.
constexpr std::size_t SOUND_FILE_CHARS = 259;

const char* const NO_RIGHTS_TEXT =
    "Sorry!\r\nKeine ausreichenden Rechte.\r\nUm diese Option zu ändern, sind "
    "Administrationsrechte erforderlich.";

// The refusals of a folder for the appointment file; the folder's name follows.
const char* const DATA_FOLDER_TITLE = "Termindatei";
const char* const FOLDER_MISSING_TEXT = "Sorry!\r\nDiesen Ordner gibt es nicht:\r\n";
const char* const FOLDER_TOO_LONG_TEXT =
    "Sorry!\r\nDer Name dieses Ordners ist zu lang für die Termindatei:\r\n";
const char* const FOLDER_NOT_WRITABLE_TEXT =
    "Sorry!\r\nIn diesem Ordner kann die Termindatei nicht gespeichert werden:\r\n";

// The seven position buttons draw a small picture of the screen and show no text:
// screen readers get their names from these.
constexpr ScreenReaderName POSITION_NAMES[] = {
    {IDC_CFG_POS_LEFT_TOP, L"Alarmfenster links oben"},
    {IDC_CFG_POS_LEFT_MIDDLE, L"Alarmfenster links in der Mitte"},
    {IDC_CFG_POS_LEFT_BOTTOM, L"Alarmfenster links unten"},
    {IDC_CFG_POS_CENTRE, L"Alarmfenster in der Mitte"},
    {IDC_CFG_POS_RIGHT_TOP, L"Alarmfenster rechts oben"},
    {IDC_CFG_POS_RIGHT_MIDDLE, L"Alarmfenster rechts in der Mitte"},
    {IDC_CFG_POS_RIGHT_BOTTOM, L"Alarmfenster rechts unten"},
};

// What the dialog works on, kept in its window data.
struct ConfigDialogData {
    Settings& settings;
    Services& services;
    ConfigurationResult result;
    // The folder of the appointment file chosen in this visit; empty for the default.
    std::string dataFolder;
};

ConfigDialogData& dataOf(HWND dialog) {
    return *reinterpret_cast<ConfigDialogData*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

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
    const std::string caption = userGroupCaption(
        userdata, userdata ? dataOf(dialog).services.account.loginName() : std::nullopt);
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

// The folder of the appointment file, or the application-data folder that the
// checkbox 1001 chooses when none was chosen; "Standard" only leads somewhere new
// when a folder was chosen.
void showDataFolder(HWND dialog) {
    ConfigDialogData& data = dataOf(dialog);
    std::string folder = data.dataFolder;
    if (folder.empty()) {
        data.services.files.dataFolder(isChecked(dialog, IDC_CFG_USERDATA), folder);
    }
    SetDlgItemTextA(dialog, IDC_CFG_DATA_FOLDER, folder.c_str());
    enable(dialog, IDC_CFG_DATA_FOLDER_DEFAULT, !data.dataFolder.empty());
}

// COM for the folder picker on this thread, which its look needs. ole32 is loaded only
// now, so that the program does not carry it from its start.
class PickerApartment {
  public:
    PickerApartment() : ole32_(LoadLibraryA("ole32.dll")) {
        using Initialize = HRESULT(WINAPI*)(LPVOID);
        const auto initialize = loadProc<Initialize>("OleInitialize");
        initialized_ = initialize != nullptr && SUCCEEDED(initialize(nullptr));
    }
    ~PickerApartment() {
        using Uninitialize = void(WINAPI*)();
        if (const auto uninitialize = loadProc<Uninitialize>("OleUninitialize");
            initialized_ && uninitialize != nullptr) {
            uninitialize();
        }
        if (ole32_ != nullptr) {
            FreeLibrary(ole32_);
        }
    }
    PickerApartment(const PickerApartment&) = delete;
    PickerApartment& operator=(const PickerApartment&) = delete;

  private:
    template <typename Proc> Proc loadProc(const char* name) const {
        return ole32_ == nullptr
                   ? nullptr
                   : reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(ole32_, name)));
    }

    HMODULE ole32_;
    bool initialized_ = false;
};

struct ItemListFree {
    void operator()(ITEMIDLIST* list) const { ILFree(list); }
};

// Opens the picker at the folder it was given.
int CALLBACK startPickerAt(HWND picker, UINT message, LPARAM, LPARAM folder) noexcept {
    if (message == BFFM_INITIALIZED) {
        SendMessageA(picker, BFFM_SETSELECTIONA, TRUE, folder);
    }
    return 0;
}

// The system's folder picker over the dialog; the chosen folder, or nothing after
// "Abbrechen" or for a place outside the file system.
std::optional<std::string> pickFolder(HWND dialog, const std::string& start) {
    const PickerApartment apartment;
    BROWSEINFOA info{};
    info.hwndOwner = dialog;
    info.lpszTitle = "Ordner für die Termindatei:";
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = startPickerAt;
    info.lParam = reinterpret_cast<LPARAM>(start.c_str());
    const std::unique_ptr<ITEMIDLIST, ItemListFree> chosen(SHBrowseForFolderA(&info));
    char folder[MAX_PATH] = {};
    if (!chosen || !SHGetPathFromIDListA(chosen.get(), folder)) {
        return std::nullopt;
    }
    return std::string(folder);
}

// A folder for all users is stored in the machine's settings: without the rights to
// write them, the change is refused before anything is chosen, and the folder stays.
bool dataFolderMayChange(HWND dialog) {
    if (mayChangeDataFolder(isChecked(dialog, IDC_CFG_USERDATA),
                            dataOf(dialog).services.account.isAdministrator())) {
        return true;
    }
    refuseWithoutRights(dialog, DATA_FOLDER_TITLE);
    return false;
}

// "Ändern": the folder is checked when it is chosen, so that the field only ever shows
// a folder that can hold the file and OK has nothing left to refuse.
void dataFolderClicked(HWND dialog) {
    if (!dataFolderMayChange(dialog)) {
        return;
    }
    ConfigDialogData& data = dataOf(dialog);
    const std::optional<std::string> folder =
        pickFolder(dialog, dialogItemText(dialog, IDC_CFG_DATA_FOLDER, LONGEST_PATH_CHARS));
    if (!folder) {
        return;
    }
    const char* refusal = nullptr;
    switch (checkDataFolder(data.services.files, *folder)) {
    case FolderCheck::Usable:
        data.dataFolder = *folder;
        showDataFolder(dialog);
        return;
    case FolderCheck::Missing:
        refusal = FOLDER_MISSING_TEXT;
        break;
    case FolderCheck::TooLong:
        refusal = FOLDER_TOO_LONG_TEXT;
        break;
    case FolderCheck::NotWritable:
        refusal = FOLDER_NOT_WRITABLE_TEXT;
        break;
    }
    MessageBoxA(dialog, (refusal + *folder).c_str(), DATA_FOLDER_TITLE, MB_ICONERROR);
}

void open(HWND dialog) {
    const Settings& settings = dataOf(dialog).settings;
    Registry& registry = dataOf(dialog).services.registry;

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

    dataOf(dialog).dataFolder = settings.datafolder;
    showDataFolder(dialog);
}

// OK: the record takes what the dialog shows; the caller stores it.
void confirm(HWND dialog) {
    ConfigDialogData& data = dataOf(dialog);
    Settings& settings = data.settings;
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
    settings.datafolder = data.dataFolder;

    const bool modified =
        SendDlgItemMessageA(dialog, IDC_CFG_STANDARD_SOUND_KEY, EM_GETMODIFY, 0, 0) != 0;
    data.result.standardSoundEvent = standardSoundEventToSave(
        modified, dialogItemText(dialog, IDC_CFG_STANDARD_SOUND_KEY, SOUND_EVENT_CHARS));
    data.result.confirmed = true;
}

// Abbrechen: a sound file changed in the control panel during this visit goes back.
void cancel(HWND dialog) {
    const std::string shown = dialogItemText(dialog, IDC_CFG_SOUND_FILE, SOUND_FILE_CHARS);
    const std::string atOpening =
        dialogItemText(dialog, IDC_CFG_SOUND_FILE_AT_OPENING, SOUND_FILE_CHARS);
    restoreAlarmSoundFile(dataOf(dialog).services.registry, atOpening, &shown);
}

void userdataClicked(HWND dialog) {
    const bool nowChecked = isChecked(dialog, IDC_CFG_USERDATA);
    if (dataOf(dialog).services.account.isAdministrator()) {
        showUserGroupCaption(dialog, nowChecked);
        showDataFolder(dialog); // the default folder follows the box
        return;
    }
    check(dialog, IDC_CFG_USERDATA, !nowChecked);
    refuseWithoutRights(dialog, "jeder User hat eigene Termine");
}

void standardSoundClicked(HWND dialog) {
    if (dataOf(dialog).services.account.isAdministrator()) {
        showStandardSoundDialog(dialog, dataOf(dialog).services.registry);
        return;
    }
    refuseWithoutRights(dialog, "Standard Alarm-Sound");
}

void soundFileClicked(HWND dialog) {
    const Services& services = dataOf(dialog).services;
    ControlPanelProcess panel;
    if (launchSoundControlPanel(dialog, panel, services.soundControlPanelCommand)) {
        waitForSoundControlPanel(dialog, panel, services.registry);
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
    case IDC_CFG_DATA_FOLDER_CHANGE:
        dataFolderClicked(dialog);
        return true;
    case IDC_CFG_DATA_FOLDER_DEFAULT:
        if (dataFolderMayChange(dialog)) {
            dataOf(dialog).dataFolder.clear();
            showDataFolder(dialog);
        }
        return true;
    default:
        return false;
    }
}

INT_PTR CALLBACK configDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                  LPARAM lParam) noexcept {
    return noThrow<INT_PTR>(FALSE, [&]() -> INT_PTR {
        switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            open(dialog);
            nameForScreenReaders(dialog, POSITION_NAMES);
            return TRUE; // the platform puts the focus on the first control that takes it
        case WM_DESTROY:
            forgetScreenReaderNames(dialog, POSITION_NAMES);
            return FALSE;
        case WM_COMMAND:
            return command(dialog, LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
        default:
            return FALSE;
        }
    });
}

} // namespace

ConfigurationResult editSettings(HWND owner, Settings& settings, Services& services) {
    ConfigDialogData data{settings, services, {}, {}};
    loadCommonControls();
    // For the names of the position buttons, and the folder picker, which wants it too.
    const ComApartment com;
    DialogBoxParamA(templateModule(owner), MAKEINTRESOURCEA(IDD_CONFIGURATION), owner,
                    configDialogProc, reinterpret_cast<LPARAM>(&data));
    return data.result;
}
