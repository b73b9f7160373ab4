// The standard file dialogs for iCalendar files (comdlg32, loaded when first needed) and
// the PC's zone name.
#include "ui/calendar_files.h"

#include <commdlg.h>

#include <vector>

#include "ui/on_demand.h"

namespace {

// Long enough for any path the ANSI dialogs give.
constexpr DWORD PATH_CHARS = 1024;
// Filter pairs of name and pattern, each ended by a zero, the whole by another.
constexpr char FILTER[] = "iCalendar-Dateien (*.ics)\0*.ics\0Alle Dateien (*.*)\0*.*\0";

} // namespace

std::optional<std::string> chooseCalendarFile(HWND owner, bool forSaving) {
    using FileDialogCall = BOOL(WINAPI*)(OPENFILENAMEA*);
    static const HMODULE comdlg32 = systemLibrary("comdlg32.dll");
    const auto call =
        functionOf<FileDialogCall>(comdlg32, forSaving ? "GetSaveFileNameA" : "GetOpenFileNameA");
    if (call == nullptr) {
        return std::nullopt;
    }
    std::vector<char> path(PATH_CHARS, '\0');
    if (forSaving) {
        lstrcpynA(path.data(), "Termine.ics", static_cast<int>(path.size()));
    }
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = FILTER;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = PATH_CHARS;
    dialog.lpstrDefExt = "ics";
    dialog.lpstrTitle = forSaving ? "Termine exportieren" : "Termine importieren";
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                   (forSaving ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    if (!call(&dialog)) {
        return std::nullopt;
    }
    return std::string(path.data());
}

std::string windowsZoneName() {
    DYNAMIC_TIME_ZONE_INFORMATION zone{};
    if (GetDynamicTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID) {
        return {};
    }
    // Key names are plain ASCII.
    std::string name;
    for (const WCHAR c : zone.TimeZoneKeyName) {
        if (c == 0) {
            break;
        }
        name += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return name;
}
