// The appointment list (dialog 113) and its read-only variant for the
// appointments missed while the program was not running.
#include <windows.h>

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>
#include <type_traits>

#include "core/calendar.h"
#include "core/no_throw.h"
#include "res/resource.h"
#include "store/appointment_file.h"
#include "store/ical/ical_export.h"
#include "store/ical/ical_import.h"
#include "ui/appointment_editor.h"
#include "ui/appointment_editor_ids.h"
#include "ui/appointment_list_dialog_ids.h"
#include "ui/appointment_rows.h"
#include "ui/calendar_files.h"
#include "ui/dialogs.h"
#include "ui/dpi.h"
#include "ui/import_summary_dialog.h"
#include "ui/list_view_cells.h"
#include "ui/ok_only_dialog.h"
#include "ui/on_demand.h"
#include "ui/recurrence_text.h"
#include "ui/template_module.h"

namespace {

// Committed cells are read through 64-byte buffers: 63 characters survive.
constexpr std::size_t COMMIT_READ_BYTES = APPOINTMENT_TEXT_CHARS + 1;
// Enough for any cell the list is filled with.
constexpr std::size_t CELL_READ_BYTES = LIST_CELL_CHARS + 1;
constexpr int COLUMN_COUNT = 3;

// What the list works on: the book its OK replaces, and the clock for "ht" and
// for the editor.
struct ListDialogData {
    AppointmentBook& book;
    const Clock& clock;
    CalendarExchange* exchange; // nullptr: no import and export
    bool committed = false;
    int textColumnLimit = 0; // the text column's first width, in pixels
    RowRecords records;
    // The context menu was opened from a key the list reported: the system's own
    // WM_CONTEXTMENU for that key, if it sends one, opens no second menu.
    bool menuFromKey = false;
};

// What the missed appointments show.
struct MissedDialogData {
    const AppointmentBook& missed;
    LocalDate today;
    RowRecords records;
};

// The first column widths in pixels at 96 DPI; they grow with the dialog's DPI.
// The text column is never wider than its first width, so a long text is cut
// where it always was.
constexpr int TEXT_COLUMN_WIDTH = 250;
constexpr int TIME_COLUMN_WIDTH = 80;
constexpr int REPEAT_COLUMN_WIDTH = 80;
constexpr char TIME_HEADER[] = "Alarmzeit";
constexpr char REPEAT_HEADER[] = "Wiederholung";
// The room a header leaves on either side of its text (three edge widths) and
// its divider, at 96 DPI.
constexpr int HEADER_TEXT_MARGIN = 7;

// Posted to itself after a change of DPI (wParam the new DPI), once the dialog
// manager has scaled the list: the columns are then fitted to its new width.
constexpr UINT MSG_REFIT_COLUMNS = WM_APP + 1;
// Posted to itself after a context menu opened from a key: what that key made is over.
constexpr UINT MSG_KEY_MENU_DONE = WM_APP + 2;

int columnWidth(HWND list, int column) {
    return static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0));
}

void setColumnWidth(HWND list, int column, int width) {
    SendMessageA(list, LVM_SETCOLUMNWIDTH, column, width);
}

struct WindowDestroyer {
    void operator()(HWND window) const noexcept { DestroyWindow(window); }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

// Measures texts in the list's font.
class TextMeter {
  public:
    explicit TextMeter(HWND list)
        : list_(list), dc_(GetDC(list)),
          oldFont_(
              SelectObject(dc_, reinterpret_cast<HGDIOBJ>(SendMessageA(list, WM_GETFONT, 0, 0)))) {}
    ~TextMeter() {
        SelectObject(dc_, oldFont_);
        ReleaseDC(list_, dc_);
    }
    TextMeter(const TextMeter&) = delete;
    TextMeter& operator=(const TextMeter&) = delete;

    int width(std::string_view text) const {
        SIZE size{};
        GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &size);
        return size.cx;
    }

  private:
    HWND list_;
    HDC dc_;
    HGDIOBJ oldFont_;
};

// What the repetition column says of each row in full: the sentence of its rule (made
// once for each rule), empty for a one-off.
std::vector<std::string> rowSentences(HWND list, const RowRecords& records) {
    std::map<Recurrence, std::string> made;
    std::vector<std::string> sentences;
    for (int row = 0, count = listRowCount(list); row < count; ++row) {
        const Recurrence rule = rowRecord(list, row, records).value_or(RowRecord{}).recurrence;
        auto found = made.find(rule);
        if (found == made.end()) {
            found = made.emplace(rule, repeatLabel(rule)).first;
        }
        sentences.push_back(found->second);
    }
    return sentences;
}

// The widest text of each column in the list's font (empty for a column without text),
// the repetition's in full; and the widest word of a rule its kind alone names.
struct Widest {
    std::array<std::string, COLUMN_COUNT> cells;
    std::string word;
};

Widest widestCells(HWND list, const std::vector<std::string>& sentences, const TextMeter& meter) {
    Widest widest;
    std::array<int, COLUMN_COUNT> widths{};
    int wordWidth = 0;
    for (int row = 0, count = listRowCount(list); row < count; ++row) {
        for (int column = 0; column < COLUMN_COUNT; ++column) {
            std::string text = column == REPEAT_COLUMN
                                   ? sentences[static_cast<std::size_t>(row)]
                                   : listCellText(list, row, column, CELL_READ_BYTES).value_or("");
            const int width = meter.width(text);
            const bool isWord =
                column == REPEAT_COLUMN &&
                std::find(REPEAT_WORDS.begin(), REPEAT_WORDS.end(), text) != REPEAT_WORDS.end();
            if (isWord && width > wordWidth) {
                wordWidth = width;
                widest.word = text;
            }
            if (width > widths[column]) {
                widths[column] = width;
                widest.cells[column] = std::move(text);
            }
        }
    }
    return widest;
}

// The widths LVSCW_AUTOSIZE gives the columns: each shows every cell whole. The list
// view would measure every cell itself, taking a device context each time (a second
// for ten thousand rows under Wine). So a hidden list view of the same kind gets one
// row, the widest cell of each column, and its columns are autosized instead. A list
// without rows, or when no such list view can be made, has its own columns autosized.
std::array<int, COLUMN_COUNT> cellWidths(HWND list,
                                         const std::array<std::string, COLUMN_COUNT>& widest) {
    const UniqueWindow twin(
        listRowCount(list) == 0
            ? nullptr
            : CreateWindowExA(
                  static_cast<DWORD>(GetWindowLongPtrA(list, GWL_EXSTYLE)) | WS_EX_NOPARENTNOTIFY,
                  WC_LISTVIEWA, "",
                  static_cast<DWORD>(GetWindowLongPtrA(list, GWL_STYLE)) & ~WS_VISIBLE, 0, 0, 0, 0,
                  GetParent(list), nullptr,
                  reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(list, GWLP_HINSTANCE)), nullptr));
    const HWND measured = twin ? twin.get() : list;
    if (twin) {
        SendMessageA(measured, WM_SETFONT, SendMessageA(list, WM_GETFONT, 0, 0), FALSE);
        SendMessageA(measured, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                     SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
        for (int column = 0; column < COLUMN_COUNT; ++column) {
            insertListColumn(measured, column, 0, "");
        }
        RowRecords none;
        insertAppointmentRow(measured, 0, {widest[TEXT_COLUMN], widest[TIME_COLUMN], {}}, none);
        setListCell(measured, 0, REPEAT_COLUMN, widest[REPEAT_COLUMN]);
    }
    std::array<int, COLUMN_COUNT> widths{};
    for (int column = 0; column < COLUMN_COUNT; ++column) {
        setColumnWidth(measured, column, LVSCW_AUTOSIZE);
        widths[column] = columnWidth(measured, column);
    }
    return widths;
}

// The width that shows the header and every cell of the column whole.
int columnNeeds(HWND list, int cellsWidth, const char* header, int dpi) {
    const auto headerWidth = static_cast<int>(
        SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(header)));
    return std::max(cellsWidth, headerWidth + 2 * scaleToDpi(HEADER_TEXT_MARGIN, dpi));
}

// Shares the list's width out among the three columns (see fitColumnWidths), and
// shortens a sentence of the repetition that its column cannot hold with "…".
void fitColumns(HWND list, int textLimit, const RowRecords& records) {
    RECT client{};
    GetClientRect(list, &client);
    const int dpi = windowDpi(list);
    const TextMeter meter(list);
    const std::vector<std::string> sentences = rowSentences(list, records);
    const Widest widest = widestCells(list, sentences, meter);
    const std::array<int, COLUMN_COUNT> cells = cellWidths(list, widest.cells);
    // The room the list view leaves around a cell's text.
    const int padding = cells[REPEAT_COLUMN] - meter.width(widest.cells[REPEAT_COLUMN]);
    // Only a series has a text in the last column.
    const bool anySeries = !widest.cells[REPEAT_COLUMN].empty();
    const ColumnNeeds needs{
        cells[TEXT_COLUMN], columnNeeds(list, cells[TIME_COLUMN], TIME_HEADER, dpi),
        columnNeeds(list, cells[REPEAT_COLUMN], REPEAT_HEADER, dpi), anySeries,
        columnNeeds(list, widest.word.empty() ? 0 : meter.width(widest.word) + padding,
                    REPEAT_HEADER, dpi)};
    const ColumnWidths widths = fitColumnWidths(client.right, textLimit, needs);
    setColumnWidth(list, TEXT_COLUMN, widths.text);
    setColumnWidth(list, TIME_COLUMN, widths.time);
    setColumnWidth(list, REPEAT_COLUMN, widths.repeat);
    if (!anySeries) {
        return;
    }
    std::map<std::string, std::string> shortened;
    const auto measure = [&meter](std::string_view text) { return meter.width(text); };
    for (std::size_t row = 0; row < sentences.size(); ++row) {
        if (sentences[row].empty()) {
            continue;
        }
        auto cut = shortened.find(sentences[row]);
        if (cut == shortened.end()) {
            cut = shortened
                      .emplace(sentences[row],
                               shortenToWidth(sentences[row], widths.repeat - padding, measure))
                      .first;
        }
        setListCell(list, static_cast<int>(row), REPEAT_COLUMN, cut->second);
    }
}

// Holds the list view's drawing while rows go in: it would otherwise work out its
// scroll bars again for every row (seconds for ten thousand rows under Wine).
// Letting go brings the scroll bars up to date and has the list painted anew.
class RedrawPaused {
  public:
    explicit RedrawPaused(HWND list) : list_(list) { SendMessageA(list_, WM_SETREDRAW, FALSE, 0); }
    ~RedrawPaused() {
        SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list_, nullptr, TRUE);
    }
    RedrawPaused(const RedrawPaused&) = delete;
    RedrawPaused& operator=(const RedrawPaused&) = delete;

  private:
    HWND list_;
};

// The three columns and one row per appointment, in book order; the text
// column's first width, which limits it from then on.
int fillList(HWND dialog, const AppointmentBook& book, std::size_t cellChars,
             const LocalDate& today, RowRecords& records) {
    const HWND list = GetDlgItem(dialog, IDC_APPOINTMENTS);
    const int dpi = windowDpi(dialog);
    insertListColumn(list, TEXT_COLUMN, scaleToDpi(TEXT_COLUMN_WIDTH, dpi), "Text");
    const int textLimit = columnWidth(list, TEXT_COLUMN);
    insertListColumn(list, TIME_COLUMN, scaleToDpi(TIME_COLUMN_WIDTH, dpi), TIME_HEADER);
    insertListColumn(list, REPEAT_COLUMN, scaleToDpi(REPEAT_COLUMN_WIDTH, dpi), REPEAT_HEADER);
    const std::vector<AppointmentRow> rows = rowsFromBook(book, cellChars, today);
    {
        const RedrawPaused quiet(list);
        SendMessageA(list, LVM_SETITEMCOUNT, rows.size(), 0);
        for (std::size_t row = 0; row < rows.size(); ++row) {
            insertAppointmentRow(list, static_cast<int>(row), rows[row], records);
        }
    }
    // With the scroll bars as the rows leave them, which narrow the room to share out.
    fitColumns(list, textLimit, records);
    return textLimit;
}

// The dialog moved to a display of another scale: the dialog manager scales the
// dialog and its controls, the columns are the program's own. The text column's
// new limit once they are fitted again; 0 for any other message.
int onListDpiMessage(HWND dialog, UINT message, WPARAM wParam, const RowRecords& records) {
    if (message == WM_DPICHANGED) {
        PostMessageA(dialog, MSG_REFIT_COLUMNS, LOWORD(wParam), 0);
        return 0;
    }
    if (message != MSG_REFIT_COLUMNS) {
        return 0;
    }
    const int limit = scaleToDpi(TEXT_COLUMN_WIDTH, static_cast<int>(wParam));
    fitColumns(GetDlgItem(dialog, IDC_APPOINTMENTS), limit, records);
    return limit;
}

std::vector<AppointmentRow> readRows(HWND list, const RowRecords& records) {
    std::vector<AppointmentRow> rows;
    const int count = listRowCount(list);
    for (int row = 0; row < count; ++row) {
        rows.push_back(
            appointmentRow(list, row, COMMIT_READ_BYTES, records).value_or(AppointmentRow{}));
    }
    return rows;
}

// The rows as appointments, one per row in list order (a row whose display form names no
// alarm time has the time -1).
std::vector<Appointment> rowAppointments(const std::vector<AppointmentRow>& rows) {
    std::vector<Appointment> all;
    all.reserve(rows.size());
    for (const AppointmentRow& row : rows) {
        all.push_back({displayToTime(row.display), row.text, row.recurrence, row.id});
    }
    return all;
}

constexpr char EXCHANGE_TITLE[] = "Quarv Zodora - Termine";

void refuse(HWND dialog, const std::string& why, const std::string& path) {
    MessageBoxA(dialog, ("Sorry!\r\n" + why + "\r\n" + path).c_str(), EXCHANGE_TITLE, MB_ICONERROR);
}

// "Exportieren…": the rows as they stand (what OK would commit) into an iCalendar file.
// A row new in this list gets its identity now, so that the file's UID names the
// appointment OK then makes.
void exportRows(HWND dialog, ListDialogData& data) {
    const auto path = chooseCalendarFile(dialog, true);
    if (!path) {
        return;
    }
    const HWND list = GetDlgItem(dialog, IDC_APPOINTMENTS);
    std::vector<AppointmentRow> rows = readRows(list, data.records);
    std::vector<Appointment> appointments;
    for (std::size_t row = 0; row < rows.size(); ++row) {
        if (rows[row].id == NO_ID) {
            rows[row].id = newAppointmentId();
            setAppointmentRow(list, static_cast<int>(row), rows[row], data.records);
        }
        const TimeValue time = displayToTime(rows[row].display);
        if (time != -1) {
            appointments.push_back({time, rows[row].text, rows[row].recurrence, rows[row].id});
        }
    }
    const TimeValue now = data.clock.currentTime();
    ExportSettings settings;
    settings.zone = systemZoneRules(now);
    if (settings.zone) {
        settings.zone->name = windowsZoneName();
        if (settings.zone->name.empty()) {
            settings.zone.reset(); // a zone without a name: times without one
        }
    }
    settings.alarmOffsetMinutes = data.exchange->alarmOffsetMinutes;
    settings.now = now;
    if (replaceWholeFile(data.exchange->files, *path, exportCalendar(appointments, settings)) !=
        ReplaceResult::Replaced) {
        refuse(dialog, "Die Termine konnten nicht in diese Datei geschrieben werden:", *path);
    }
}

// "Importieren…": an iCalendar file's events into the rows, once the user agreed to the
// summary. Like every other change in the list, OK puts them into the book and
// "Abbrechen" drops them.
void importRows(HWND dialog, ListDialogData& data) {
    const auto path = chooseCalendarFile(dialog, false);
    if (!path) {
        return;
    }
    FileSystem& files = data.exchange->files;
    FileStamp stamp;
    std::string text;
    if (files.fileStamp(*path, stamp) == FileResult::Ok && stamp.size > LARGEST_READABLE_FILE) {
        refuse(dialog, "Die Datei ist zu groß (mehr als 64 MB):", *path);
        return;
    }
    const HCURSOR was = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    const FileResult read = files.readFile(*path, text);
    const IcalCalendar calendar = read == FileResult::Ok ? readCalendar(text) : IcalCalendar{};
    std::string().swap(text);
    SetCursor(was);
    if (read != FileResult::Ok) {
        refuse(dialog, "Die Datei konnte nicht gelesen werden:", *path);
        return;
    }
    if (!calendar.isCalendar) {
        refuse(dialog, "Das ist keine iCalendar-Datei (.ics):", *path);
        return;
    }
    const HWND list = GetDlgItem(dialog, IDC_APPOINTMENTS);
    const std::vector<Appointment> current = rowAppointments(readRows(list, data.records));
    ImportSettings settings;
    settings.now = data.clock.currentTime();
    settings.systemZoneName = windowsZoneName();
    const auto plan = confirmImport(
        dialog, *path,
        [&](int allDayMinute) {
            settings.allDayMinute = allDayMinute;
            return planImport(calendar, current, settings);
        },
        std::any_of(calendar.events.begin(), calendar.events.end(),
                    [](const IcalEvent& e) { return e.start && e.start->isDate; }));
    if (!plan) {
        return;
    }
    const LocalDate today = data.clock.today();
    const auto rowOf = [&](const Appointment& a) {
        return AppointmentRow{a.text, timeToDisplay(a.alarmTime, today), a.recurrence, a.id};
    };
    {
        const RedrawPaused quiet(list);
        for (const auto& [row, appointment] : plan->updated) {
            setAppointmentRow(list, static_cast<int>(row), rowOf(appointment), data.records);
        }
        const int count = listRowCount(list);
        SendMessageA(list, LVM_SETITEMCOUNT, count + plan->added.size(), 0);
        for (std::size_t i = 0; i < plan->added.size(); ++i) {
            insertAppointmentRow(list, count + static_cast<int>(i), rowOf(plan->added[i]),
                                 data.records);
        }
    }
    fitColumns(list, data.textColumnLimit, data.records);
}

// OK: the rows replace the book.
void commit(HWND dialog, ListDialogData& data) {
    commitRows(readRows(GetDlgItem(dialog, IDC_APPOINTMENTS), data.records), data.book);
    data.committed = true;
}

struct MenuDestroyer {
    void operator()(HMENU menu) const noexcept { DestroyMenu(menu); }
};
using UniqueMenu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDestroyer>;

// The row a context menu is for and where it opens: the row under the mouse, or, from
// the keyboard (position -1), the selected row below its text. -1 for none.
int rowForMenu(HWND list, LPARAM position, POINT& at) {
    if (position == -1) {
        const auto row = static_cast<int>(
            SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
        RECT item{};
        item.left = LVIR_LABEL;
        if (row < 0 || !SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&item))) {
            return -1;
        }
        at = POINT{item.left, item.bottom};
        ClientToScreen(list, &at);
        return row;
    }
    at = POINT{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    LVHITTESTINFO hit{};
    hit.pt = at;
    ScreenToClient(list, &hit.pt);
    const auto row =
        static_cast<int>(SendMessageA(list, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (row >= 0) {
        LVITEMA state{};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
    }
    return row;
}

// The context menu of a series' row: "Nächsten Termin überspringen" moves the row to
// the series' following occurrence (greyed at its last). OK then commits it as a change
// of the row, which the file and the other PCs follow.
void showRowMenu(HWND dialog, ListDialogData& data, LPARAM position) {
    const HWND list = GetDlgItem(dialog, IDC_APPOINTMENTS);
    POINT at{};
    const int row = rowForMenu(list, position, at);
    const auto cells =
        row >= 0 ? appointmentRow(list, row, CELL_READ_BYTES, data.records) : std::nullopt;
    if (!cells || !cells->recurrence.repeats()) {
        return;
    }
    const std::optional<AppointmentRow> skipped = skippedRow(*cells);
    const UniqueMenu menu(CreatePopupMenu());
    if (!menu) {
        return;
    }
    AppendMenuA(menu.get(), MF_STRING | (skipped ? MF_ENABLED : MF_GRAYED), IDM_SKIP_NEXT,
                "Nächsten Termin überspringen");
    const auto command = static_cast<int>(TrackPopupMenu(
        menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, dialog, nullptr));
    if (command == IDM_SKIP_NEXT && skipped) {
        setAppointmentRow(list, row, *skipped, data.records);
        fitColumns(list, data.textColumnLimit, data.records);
    }
}

// The editor writes the row itself; the columns then make room for what it wrote.
void editRow(HWND dialog, ListDialogData& data, int row) {
    const HWND list = GetDlgItem(dialog, IDC_APPOINTMENTS);
    if (editAppointmentRow(dialog, row, data.clock.currentTime(), data.records) == IDC_DELETE &&
        row >= 0) {
        SendMessageA(list, LVM_DELETEITEM, row, 0);
    }
    fitColumns(list, data.textColumnLimit, data.records);
}

INT_PTR handleListMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        auto& data = *reinterpret_cast<ListDialogData*>(lParam);
        data.textColumnLimit =
            fillList(dialog, data.book, LIST_CELL_CHARS, data.clock.today(), data.records);
        if (data.exchange == nullptr) {
            ShowWindow(GetDlgItem(dialog, IDC_IMPORT), SW_HIDE);
            ShowWindow(GetDlgItem(dialog, IDC_EXPORT), SW_HIDE);
        }
        return TRUE;
    }
    auto* data = reinterpret_cast<ListDialogData*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (data == nullptr) {
        return FALSE;
    }
    if (const int limit = onListDpiMessage(dialog, message, wParam, data->records); limit > 0) {
        data->textColumnLimit = limit;
        return TRUE;
    }
    switch (message) {
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wParam) == GetDlgItem(dialog, IDC_APPOINTMENTS)) {
            if (!(data->menuFromKey && lParam == -1)) {
                showRowMenu(dialog, *data, lParam);
            }
            return TRUE;
        }
        break;
    case MSG_KEY_MENU_DONE:
        data->menuFromKey = false;
        return TRUE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        // The context-menu key and Shift+F10 on the list, as the list reports them.
        if (header->idFrom == IDC_APPOINTMENTS && header->code == LVN_KEYDOWN) {
            const WORD key = reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey;
            if (key == VK_APPS || (key == VK_F10 && GetKeyState(VK_SHIFT) < 0)) {
                data->menuFromKey = true;
                showRowMenu(dialog, *data, -1);
                PostMessageA(dialog, MSG_KEY_MENU_DONE, 0, 0);
            }
            return TRUE;
        }
        if (header->idFrom == IDC_APPOINTMENTS && header->code == NM_DBLCLK) {
            const int row = reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem;
            if (row >= 0) {
                editRow(dialog, *data, row);
            }
            return TRUE;
        }
        break;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            commit(dialog, *data);
            EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 1);
            return TRUE;
        case IDC_NEW:
            editRow(dialog, *data, -1);
            return TRUE;
        case IDC_IMPORT:
            if (data->exchange != nullptr) {
                importRows(dialog, *data);
            }
            return TRUE;
        case IDC_EXPORT:
            if (data->exchange != nullptr) {
                exportRows(dialog, *data);
            }
            return TRUE;
        }
        break;
    }
    return FALSE;
}

INT_PTR CALLBACK appointmentListProc(HWND dialog, UINT message, WPARAM wParam,
                                     LPARAM lParam) noexcept {
    return noThrow<INT_PTR>(FALSE,
                            [&] { return handleListMessage(dialog, message, wParam, lParam); });
}

// Read-only: no editing, and nothing but OK (or Enter) closes it.
INT_PTR CALLBACK missedAppointmentsProc(HWND dialog, UINT message, WPARAM wParam,
                                        LPARAM lParam) noexcept {
    if (message != WM_INITDIALOG) {
        const auto* data =
            reinterpret_cast<const MissedDialogData*>(GetWindowLongPtrA(dialog, DWLP_USER));
        if (data != nullptr && noThrow<int>(0, [&] {
                                   return onListDpiMessage(dialog, message, wParam, data->records);
                               }) > 0) {
            return TRUE;
        }
        return okOnlyDialogProc(dialog, message, wParam, lParam);
    }
    return noThrow<INT_PTR>(FALSE, [&] {
        SetWindowTextA(dialog, "Quarv Zodora - verdaddelte Termine");
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        auto& data = *reinterpret_cast<MissedDialogData*>(lParam);
        fillList(dialog, data.missed, MISSED_CELL_CHARS, data.today, data.records);
        EnableWindow(GetDlgItem(dialog, IDC_NEW), FALSE);
        EnableWindow(GetDlgItem(dialog, IDCANCEL), FALSE);
        ShowWindow(GetDlgItem(dialog, IDC_LIST_HINT), SW_HIDE);
        ShowWindow(GetDlgItem(dialog, IDC_IMPORT), SW_HIDE);
        ShowWindow(GetDlgItem(dialog, IDC_EXPORT), SW_HIDE);
        return TRUE;
    });
}

} // namespace

bool editAppointments(HWND owner, AppointmentBook& book, const Clock& clock,
                      CalendarExchange* exchange) {
    ListDialogData data{book, clock, exchange, false, 0, {}};
    loadCommonControls();
    DialogBoxParamA(templateModule(owner), MAKEINTRESOURCEA(IDD_APPOINTMENT_LIST), owner,
                    appointmentListProc, reinterpret_cast<LPARAM>(&data));
    return data.committed;
}

void showMissedAppointments(HWND owner, const AppointmentBook& missed, const LocalDate& today) {
    MissedDialogData data{missed, today, {}};
    loadCommonControls();
    DialogBoxParamA(templateModule(owner), MAKEINTRESOURCEA(IDD_APPOINTMENT_LIST), owner,
                    missedAppointmentsProc, reinterpret_cast<LPARAM>(&data));
}
