// The templates of the configuration dialog, the standard sound dialog and the
// control panel wait dialog: title, size, and every control's id, kind, text and
// place, read back from the dialogs that the templates make.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/support/window_driver.h"
#include "ui/config_dialog_ids.h"
#include "ui/sound_selection_ids.h"

namespace {

const char* const SPIN_KIND = "msctls_updown32";

struct Control {
    int id; // -1 for controls the code never addresses
    const char* kind;
    const char* text;
    RECT units; // x, y, width, height in dialog units
};

struct Template {
    int resource;
    const char* title;
    SIZE units;
    std::vector<Control> controls;
};

INT_PTR CALLBACK plainDialogProc(HWND, UINT, WPARAM, LPARAM) noexcept {
    return FALSE;
}

// The place of a control as the dialog manager computes it: each of x, y,
// width and height converted on its own.
RECT toPixels(HWND dialog, RECT units) {
    MapDialogRect(dialog, &units);
    return {units.left, units.top, units.left + units.right, units.top + units.bottom};
}

std::string describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

void expectTemplate(const Template& expected) {
    // Made without the dialog's own procedure: what shows is the template alone.
    const HWND dialog =
        CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(expected.resource), nullptr,
                           plainDialogProc, 0);
    ASSERT_NE(dialog, nullptr) << expected.resource;
    EXPECT_EQ(windowText(dialog), expected.title);

    RECT client{};
    GetClientRect(dialog, &client);
    const RECT size = toPixels(dialog, {0, 0, expected.units.cx, expected.units.cy});
    EXPECT_EQ(client.right, size.right) << expected.title;
    EXPECT_EQ(client.bottom, size.bottom) << expected.title;

    std::size_t index = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT), ++index) {
        if (index >= expected.controls.size()) {
            ADD_FAILURE() << "unexpected control " << GetDlgCtrlID(child);
            continue;
        }
        const Control& want = expected.controls[index];
        char kind[64] = "";
        GetClassNameA(child, kind, sizeof kind);
        const int id = static_cast<int>(static_cast<short>(GetDlgCtrlID(child)));
        SCOPED_TRACE(std::string(expected.title) + ", control " + std::to_string(index) + " \"" +
                     want.text + "\"");
        EXPECT_EQ(id, want.id);
        EXPECT_STRCASEEQ(kind, want.kind);
        EXPECT_EQ(windowText(child), want.text);

        RECT place{};
        GetWindowRect(child, &place);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
        RECT wanted = toPixels(dialog, want.units);
        if (std::string(want.kind) == SPIN_KIND && std::abs(place.right - wanted.right) <= 1) {
            wanted.right = place.right; // an up-down control rounds its own width
        }
        EXPECT_EQ(describe(place), describe(wanted));
    }
    EXPECT_EQ(index, expected.controls.size()) << expected.title;
    DestroyWindow(dialog);
}

const char* const BUTTON = "Button";
const char* const STATIC = "Static";
const char* const EDIT = "Edit";
const char* const SPIN = SPIN_KIND;

TEST(Templates, ConfigurationDialog) {
    expectTemplate({IDD_CONFIGURATION,
                    "Quarv Zodora - Konfiguration",
                    {280, 281},
                    {
                        {1001, BUTTON, "jeder User hat eigene Termine", {11, 10, 111, 10}},
                        {-1, STATIC, "Standard Alarm-Sound (Ereignis):", {11, 23, 104, 8}},
                        {1037, EDIT, "", {117, 20, 118, 12}},
                        {1038, BUTTON, "\xC4ndern", {239, 19, 32, 14}},
                        {1011, BUTTON, "Einstellungen f\xFCr User", {7, 36, 266, 198}},
                        {-1, BUTTON, "Zodora ist nach Start", {13, 47, 100, 24}},
                        {1002, BUTTON, "EIN", {18, 59, 28, 10}},
                        {1003, BUTTON, " AUS", {54, 59, 33, 10}},
                        {1006,
                         BUTTON,
                         "beim Start \xFC"
                         "berf\xE4llige Termine",
                         {118, 47, 150, 24}},
                        {1007, BUTTON, "l\xF6schen", {122, 59, 41, 10}},
                        {1008, BUTTON, "anzeigen", {171, 59, 45, 10}},
                        {1036,
                         BUTTON,
                         "bei EIN in Schlafmodus schalten, wenn keine Termine vorhanden",
                         {18, 74, 222, 10}},
                        {-1, STATIC, "Alarmausl\xF6sung:", {15, 90, 52, 8}},
                        {1010, SPIN, "", {73, 85, 11, 19}},
                        {1009, EDIT, "", {87, 89, 28, 12}},
                        {-1, STATIC, "Minuten vor dem Termin (0 bis 120)", {120, 90, 112, 8}},
                        {-1, BUTTON, "Bei Alarm", {13, 105, 255, 124}},
                        {1012, BUTTON, "Nur Tray Icon", {18, 117, 59, 10}},
                        {1013, BUTTON, "Tray Icon und Alarmfenster", {18, 131, 98, 10}},
                        {-1, STATIC, "Position Alarmfenster", {165, 118, 39, 18}},
                        {-1, BUTTON, "", {207, 112, 54, 45}},
                        {1020, BUTTON, "", {211, 120, 16, 8}},
                        {1025, BUTTON, "", {211, 132, 16, 8}},
                        {1021, BUTTON, "", {211, 145, 16, 8}},
                        {1024, BUTTON, "", {230, 132, 16, 8}},
                        {1022, BUTTON, "", {241, 120, 16, 8}},
                        {1026, BUTTON, "", {241, 132, 16, 8}},
                        {1023, BUTTON, "", {241, 145, 16, 8}},
                        {1039, BUTTON, "Sound abspielen", {18, 156, 69, 10}},
                        {1041, BUTTON, "Sound wiederholen", {96, 156, 77, 10}},
                        {-1, STATIC, "Sound:", {33, 170, 24, 8}},
                        {1042, EDIT, "", {58, 168, 167, 12}},
                        {1040, BUTTON, "\xC4ndern", {229, 167, 32, 14}},
                        {-1, STATIC, "Alarm automatisch beenden nach", {20, 190, 106, 8}},
                        {1015, SPIN, "", {128, 184, 11, 19}},
                        {1014, EDIT, "", {141, 189, 29, 12}},
                        {-1, STATIC, "Minuten ( 0 = nicht beenden)", {174, 190, 92, 8}},
                        {-1, STATIC, "Defaultwert \"Alarm wiederholen\"", {20, 212, 104, 8}},
                        {1017, SPIN, "", {128, 206, 11, 19}},
                        {1016, EDIT, "", {142, 210, 29, 12}},
                        {-1, STATIC, "Minuten (1 bis 60 )", {174, 212, 59, 8}},
                        // The folder of the appointment file, a row of its own; OK
                        // and Abbrechen moved down for it.
                        {-1, STATIC, "Termindatei in:", {11, 243, 50, 8}},
                        {1047, EDIT, "", {63, 240, 132, 12}},
                        {1048, BUTTON, "\xC4ndern", {199, 239, 32, 14}},
                        {1049, BUTTON, "Standard", {235, 239, 36, 14}},
                        {IDOK, BUTTON, "OK", {87, 259, 50, 14}},
                        {IDCANCEL, BUTTON, "Abbrechen", {143, 259, 50, 14}},
                        {1045, EDIT, "", {117, 7, 117, 12}},
                        {1046, EDIT, "", {17, 140, 182, 12}},
                    }});
}

TEST(Templates, StandardSoundDialog) {
    expectTemplate({IDD_STANDARD_SOUND,
                    "Quarv Zodora - Standard Sound",
                    {142, 154},
                    {
                        {-1,
                         STATIC,
                         "Bitte das Windows Ereignis w\xE4hlen, dessen zugeordneter Sound bei "
                         "Alarm abgespielt werden soll.",
                         {7, 7, 128, 26}},
                        {1044, "ListBox", "", {7, 35, 127, 93}},
                        {IDOK, BUTTON, "OK", {19, 133, 50, 14}},
                        {IDCANCEL, BUTTON, "Abbrechen", {73, 133, 50, 14}},
                    }});
}

TEST(Templates, ControlPanelWaitDialog) {
    expectTemplate({IDD_CONTROL_PANEL_WAIT,
                    "hidden dialog",
                    {70, 42},
                    {
                        {IDOK, BUTTON, "OK", {7, 17, 50, 14}},
                        {1043, STATIC, "Static", {7, 7, 51, 8}},
                    }});
}

// Styles that the layout alone does not show.
TEST(Templates, KindsOfControlsAndTheHiddenFields) {
    const HWND dialog =
        CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CONFIGURATION), nullptr,
                           plainDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    const auto style = [&](int id) {
        return static_cast<DWORD>(GetWindowLongPtrA(GetDlgItem(dialog, id), GWL_STYLE));
    };
    const auto type = [&](int id) { return style(id) & BS_TYPEMASK; };
    for (const int id : {1001, 1036, 1039, 1041}) {
        EXPECT_EQ(type(id), static_cast<DWORD>(BS_AUTOCHECKBOX)) << id;
    }
    for (const int id :
         {1002, 1003, 1007, 1008, 1012, 1013, 1020, 1021, 1022, 1023, 1024, 1025, 1026}) {
        EXPECT_EQ(type(id), static_cast<DWORD>(BS_AUTORADIOBUTTON)) << id;
    }
    for (const int id : {1022, 1026, 1023}) {
        EXPECT_TRUE(style(id) & BS_LEFTTEXT) << id;
    }
    EXPECT_EQ(type(IDOK), static_cast<DWORD>(BS_DEFPUSHBUTTON));
    for (const int id : {1009, 1014, 1016}) {
        EXPECT_TRUE(style(id) & ES_NUMBER) << id;
    }
    EXPECT_TRUE(style(1047) & ES_READONLY); // shows the folder, which only "Ändern" changes
    for (const int id : {1037, 1042, 1012}) {
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, id))) << id;
    }
    for (const int id : {1045, 1046}) {
        EXPECT_FALSE(style(id) & WS_VISIBLE) << id;
    }
    const auto dialogStyle = static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_STYLE));
    EXPECT_FALSE(dialogStyle & WS_SYSMENU);
    EXPECT_TRUE(dialogStyle & WS_CAPTION);
    DestroyWindow(dialog);
}

} // namespace
