// Every dialog and the alarm window at the display's DPI (the test runs once at
// each of 96, 120, 144 and 192, named by QZ_DPI): controls stay inside their
// dialog and overlap only where their template overlaps them; the list's
// columns, the alarm window's margin and every icon have the sizes of that DPI.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/alarm_window.h"
#include "res/resource.h"
#include "tests/support/program_fixture.h"
#include "ui/appointment_editor_ids.h"
#include "ui/appointment_list_dialog_ids.h"
#include "ui/config_dialog_ids.h"
#include "ui/dialogs.h"
#include "ui/dpi.h"

namespace {

int runDpi() {
    const char* dpi = std::getenv("QZ_DPI");
    return dpi != nullptr ? std::atoi(dpi) : BASE_DPI;
}

// --- the template's controls in dialog units ----------------------------------

struct TemplateItem {
    int id = 0;
    RECT rect{}; // dialog units
};

// Skips a name or ordinal of a DLGTEMPLATEEX (0: none, 0xFFFF: an ordinal follows).
const WORD* skipNameOrOrdinal(const WORD* at) {
    if (*at == 0xFFFF) {
        return at + 2;
    }
    while (*at++ != 0) {
    }
    return at;
}

const BYTE* alignToDword(const void* at) {
    return reinterpret_cast<const BYTE*>((reinterpret_cast<ULONG_PTR>(at) + 3) & ~ULONG_PTR{3});
}

// The items of an extended dialog template, in the order the dialog creates them.
std::vector<TemplateItem> templateItems(int dialogId) {
    const HMODULE module = GetModuleHandleA(nullptr);
    const HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(dialogId), MAKEINTRESOURCEA(5));
    const auto* bytes =
        found ? static_cast<const BYTE*>(LockResource(LoadResource(module, found))) : nullptr;
    std::vector<TemplateItem> items;
    if (bytes == nullptr || reinterpret_cast<const WORD*>(bytes)[1] != 0xFFFF) {
        ADD_FAILURE() << "dialog " << dialogId << " is no extended template";
        return items;
    }
    DWORD style = 0;
    WORD count = 0;
    std::memcpy(&style, bytes + 12, sizeof style);
    std::memcpy(&count, bytes + 16, sizeof count);
    const WORD* at = reinterpret_cast<const WORD*>(bytes + 26); // after x, y, cx, cy
    at = skipNameOrOrdinal(at);                                 // menu
    at = skipNameOrOrdinal(at);                                 // class
    at = skipNameOrOrdinal(at);                                 // title
    if (style & DS_SETFONT) {
        at += 3; // point size, weight, italic and character set
        at = skipNameOrOrdinal(at);
    }
    const BYTE* item = alignToDword(at);
    for (WORD i = 0; i < count; ++i) {
        short box[4];
        DWORD id = 0;
        std::memcpy(box, item + 12, sizeof box);
        std::memcpy(&id, item + 20, sizeof id);
        items.push_back({static_cast<int>(id), {box[0], box[1], box[0] + box[2], box[1] + box[3]}});
        const WORD* rest = skipNameOrOrdinal(reinterpret_cast<const WORD*>(item + 24)); // class
        rest = skipNameOrOrdinal(rest);                                                 // title
        const WORD extra = *rest++;
        item = alignToDword(reinterpret_cast<const BYTE*>(rest) + extra);
    }
    return items;
}

bool overlap(const RECT& a, const RECT& b) {
    RECT both{};
    return IntersectRect(&both, &a, &b) != FALSE;
}

// The dialog's controls, in creation order, with their rectangles in its client area.
std::vector<RECT> controlRects(HWND dialog) {
    std::vector<RECT> rects;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect{};
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        rects.push_back(rect);
    }
    return rects;
}

// Every one-line label shows its whole text in the dialog's font. Only up to
// 120 DPI: there Wine draws "MS Shell Dlg" with its MS Sans Serif bitmap font,
// the metric twin of the font Windows uses; beyond it Wine falls back to a
// wider scalable font that the templates were never measured against.
void expectLabelsFit(HWND dialog, int dialogId) {
    if (runDpi() > 120) {
        return;
    }
    const HDC dc = GetDC(dialog);
    const HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)));
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        char className[16] = {};
        GetClassNameA(child, className, sizeof className);
        const LONG_PTR type = GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK;
        if (std::strcmp(className, "Static") != 0 || type > SS_RIGHT) {
            continue; // not a text label (an icon, a frame, another control)
        }
        char text[256] = {};
        GetWindowTextA(child, text, sizeof text);
        RECT needed{};
        DrawTextA(dc, text, -1, &needed, DT_CALCRECT | DT_SINGLELINE);
        RECT label{};
        GetClientRect(child, &label);
        if (label.bottom < 2 * needed.bottom) { // a label of one line
            EXPECT_LE(needed.right, label.right)
                << "dialog " << dialogId << ": \"" << text << "\" is cut (" << needed.right
                << " pixels in " << label.right << ")";
        }
    }
    SelectObject(dc, previous);
    ReleaseDC(dialog, dc);
}

// Every control lies inside the dialog's client area, and two controls overlap
// only where the template overlaps them (as at 96 DPI).
void expectLayoutOfTemplate(HWND dialog, int dialogId) {
    ASSERT_NE(dialog, nullptr) << dialogId;
    const std::vector<TemplateItem> items = templateItems(dialogId);
    const std::vector<RECT> rects = controlRects(dialog);
    ASSERT_EQ(rects.size(), items.size()) << "dialog " << dialogId;
    RECT client{};
    GetClientRect(dialog, &client);
    for (std::size_t i = 0; i < rects.size(); ++i) {
        const RECT& r = rects[i];
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right &&
                    r.bottom <= client.bottom)
            << "dialog " << dialogId << ": control " << items[i].id << " at " << r.left << ","
            << r.top << "-" << r.right << "," << r.bottom << " outside " << client.right << "x"
            << client.bottom;
        for (std::size_t j = i + 1; j < rects.size(); ++j) {
            if (overlap(rects[i], rects[j])) {
                EXPECT_TRUE(overlap(items[i].rect, items[j].rect))
                    << "dialog " << dialogId << ": controls " << items[i].id << " and "
                    << items[j].id << " overlap";
            }
        }
    }
    expectLabelsFit(dialog, dialogId);
}

int iconSize(HICON icon) {
    ICONINFO info{};
    if (icon == nullptr || !GetIconInfo(icon, &info)) {
        return 0;
    }
    BITMAP bitmap{};
    GetObjectA(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

int smallIcon() {
    return scaleToDpi(16, runDpi());
}
int largeIcon() {
    return scaleToDpi(32, runDpi());
}

// --- the program around the dialogs ---------------------------------------------

// The icon the tray was last handed.
HICON trayIcon() {
    HICON icon = nullptr;
    for (const ShellCall& call : PlatformRecorder::shellCalls) {
        if (call.data.uFlags & NIF_ICON) {
            icon = call.data.hIcon;
        }
    }
    return icon;
}

// The program with one appointment, its dialogs opened from its menu.
class AtDisplayDpi : public ProgramFixture {
  protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        program->settings = Settings{true, true, false, false, 5, true, 0, 5, 4, false, false, {}};
        program->book.insert(fileKeyToTime("3003150930"), "Zahnarzt Dr. M\xFCller");
        program->book.insert(fileKeyToTime("3003160930"), std::string(63, 'W'));
    }

    HWND mainWindow() const { return program->mainWindow; }
};

TEST_F(AtDisplayDpi, TheDisplayHasTheDpiOfTheRun) {
    EXPECT_EQ(windowDpi(nullptr), runDpi());
    EXPECT_EQ(windowDpi(mainWindow()), runDpi());
    EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), smallIcon());
}

// Up to 144 DPI Wine's dialog font grows with the DPI; at 192 its bitmap font
// stops short, the dialog stays smaller, and the icon gives way to the texts.
TEST_F(AtDisplayDpi, AboutBoxWithItsIconAtTheLargeIconSize) {
    driveModal(
        "\xFC"
        "ber Quarv Zodora",
        [&] { program->command(IDM_ABOUT); },
        [](HWND dialog) {
            expectLayoutOfTemplate(dialog, IDD_ABOUT);
            const HWND icon = GetWindow(dialog, GW_CHILD);
            const int size =
                iconSize(reinterpret_cast<HICON>(SendMessageA(icon, STM_GETICON, 0, 0)));
            if (runDpi() <= 144) {
                EXPECT_EQ(size, largeIcon());
            } else {
                EXPECT_LE(size, largeIcon());
            }
            postCommand(dialog, IDOK);
        });
}

// The dialog that the command just posted opens: its layout, then "Abbrechen".
void expectLayoutOfOpened(const char* title, int dialogId) {
    const HWND opened = waitForWindow(title);
    expectLayoutOfTemplate(opened, dialogId);
    postCommand(opened, IDCANCEL);
    EXPECT_TRUE(waitUntilClosed(opened));
}

// A text too long for any width: the text column stands at its width of 250
// pixels at 96 DPI, scaled; the three columns reach the list's right edge.
void expectScaledColumns(HWND dialog) {
    const HWND list = GetDlgItem(dialog, IDC_APPOINTMENTS);
    int widths = 0;
    for (int column = 0; column < 3; ++column) {
        widths += static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0));
    }
    RECT client{};
    GetClientRect(list, &client);
    EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0), scaleToDpi(250, runDpi()));
    EXPECT_GE(widths, client.right);
}

TEST_F(AtDisplayDpi, AppointmentListAndTheEditorInBothModes) {
    driveModal(
        "Quarv Revov - Termine", [&] { program->command(IDM_APPOINTMENTS); },
        [](HWND list) {
            expectLayoutOfTemplate(list, IDD_APPOINTMENT_LIST);
            expectScaledColumns(list);
            postCommand(list, IDC_NEW);
            expectLayoutOfOpened("Quarv Zodora - neuer Termin", IDD_EDITOR);
            postDoubleClick(list, IDC_APPOINTMENTS, 0);
            expectLayoutOfOpened("Quarv Zodora - Termin \xE4ndern", IDD_EDITOR);
            // The summary of an import, with a note and an all-day event.
            char folder[MAX_PATH] = {};
            GetTempPathA(MAX_PATH, folder);
            const std::string path = std::string(folder) + "qz-dpi.ics";
            writeWholeFile(path, "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:1\r\n"
                                 "DTSTART;VALUE=DATE:20400101\r\nRRULE:FREQ=YEARLY;INTERVAL=2\r\n"
                                 "SUMMARY:Neujahr\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
            postCommand(list, IDC_IMPORT);
            chooseInFileDialog(waitForDialog("Termine importieren"), path);
            expectLayoutOfOpened("Quarv Zodora - Termine importieren", IDD_IMPORT_SUMMARY);
            DeleteFileA(path.c_str());
            // The dialog "Wiederholung" from the editor's "Mehr…", with a monthly rule
            // (its rows hidden share their place with the weekly ones).
            postCommand(list, IDC_NEW);
            const HWND editor = waitForWindow("Quarv Zodora - neuer Termin");
            SendDlgItemMessageA(editor, IDC_EDIT_REPEAT, CB_SETCURSEL, 4, 0);
            postCommand(editor, IDC_EDIT_REPEAT_MORE);
            expectLayoutOfOpened("Wiederholung", IDD_REPEAT);
            postCommand(editor, IDCANCEL);
            EXPECT_TRUE(waitUntilClosed(editor));
            postCommand(list, IDCANCEL);
        });
}

TEST_F(AtDisplayDpi, MissedAppointments) {
    AppointmentBook missed;
    missed.insert(fileKeyToTime("2001020304"), "Steuererkl\xE4rung");
    missed.insert(fileKeyToTime("2001020305"), std::string(63, 'W'));
    driveModal(
        "Quarv Zodora - verdaddelte Termine",
        [&] { showMissedAppointments(mainWindow(), missed, clock.today()); },
        [](HWND dialog) {
            expectLayoutOfTemplate(dialog, IDD_APPOINTMENT_LIST);
            expectScaledColumns(dialog);
            postCommand(dialog, IDOK);
        });
}

TEST_F(AtDisplayDpi, ConfigurationAndTheStandardSound) {
    driveModal(
        "Quarv Zodora - Konfiguration", [&] { program->command(IDM_SETTINGS); },
        [](HWND dialog) {
            expectLayoutOfTemplate(dialog, IDD_CONFIGURATION);
            postCommand(dialog, IDC_CFG_STANDARD_SOUND_CHANGE);
            expectLayoutOfOpened("Quarv Zodora - Standard Sound", IDD_STANDARD_SOUND);
            postCommand(dialog, IDCANCEL);
        });
}

TEST_F(AtDisplayDpi, AlarmWindowWithAndWithoutSoundKeepsItsScaledMargin) {
    for (bool sound : {false, true}) {
        AlarmRecord record;
        record.alarmTime = fileKeyToTime("3003150930");
        record.text = "Zahnarzt Dr. M\xFCller";
        record.snoozeMinutes = 5;
        record.position = 4; // top left: the margin from both edges
        record.playSound = sound;
        const HWND window = openAlarmWindow(program->instance, mainWindow(), record, *program);
        expectLayoutOfTemplate(window, IDD_ALARM);
        RECT rect{};
        GetWindowRect(window, &rect);
        EXPECT_EQ(rect.left, scaleToDpi(20, runDpi())) << sound;
        EXPECT_EQ(rect.top, scaleToDpi(20, runDpi())) << sound;
        EXPECT_EQ(
            iconSize(reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_SMALL, 0))),
            smallIcon());
        DestroyWindow(window);
    }
}

TEST_F(AtDisplayDpi, TrayIconAtTheSmallIconSizeAndAgainWhenTheScaleChanges) {
    createTray();
    program->showStatus(StatusOff);
    EXPECT_EQ(iconSize(trayIcon()), smallIcon());

    // Moved to a display at twice the scale, then the taskbar comes back.
    const int twice = 2 * runDpi();
    RECT suggested{0, 0, 100, 100};
    SendMessageA(mainWindow(), WM_DPICHANGED, MAKEWPARAM(twice, twice),
                 reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(iconSize(trayIcon()), scaleToDpi(16, twice));
    program->showStatus(StatusOn);
    EXPECT_EQ(iconSize(trayIcon()), scaleToDpi(16, twice)) << "a later status forgot the scale";
    SendMessageA(mainWindow(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_EQ(iconSize(trayIcon()), smallIcon());
}

} // namespace
