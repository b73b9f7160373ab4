// The cells of the appointment list view.
#include "ui/list_view_cells.h"

#include <commctrl.h>

#include <cstring>
#include <vector>

int listRowCount(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

void insertListColumn(HWND list, int column, int width, const char* header) {
    LVCOLUMNA info{};
    info.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    info.fmt = LVCFMT_LEFT;
    info.cx = width;
    info.pszText = const_cast<char*>(header);
    info.iSubItem = column;
    SendMessageA(list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&info));
}

std::optional<std::string> listCellText(HWND list, int row, int column, std::size_t bufferBytes) {
    std::vector<char> buffer(bufferBytes + 1, '\0');
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(bufferBytes);
    if (!SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) {
        return std::nullopt;
    }
    // The control may point pszText at its own copy instead of filling ours.
    const char* text = item.pszText ? item.pszText : "";
    return std::string(text, strnlen(text, bufferBytes - 1));
}

void setListCell(HWND list, int row, int column, const std::string& text) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

namespace {

// The index of the record a row's item data names; nothing when the row does not
// exist. A row made without a record (by another hand) names none in range.
std::optional<std::size_t> recordIndex(HWND list, int row) {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(item.lParam);
}

} // namespace

// A one-off's empty word needs no call: a cell never set reads as empty.
int insertAppointmentRow(HWND list, int row, const AppointmentRow& cells, RowRecords& records) {
    records.push_back({cells.recurrence, cells.id});
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = row;
    item.pszText = const_cast<char*>(cells.text.c_str());
    item.lParam = static_cast<LPARAM>(records.size() - 1);
    const auto inserted =
        static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (inserted >= 0) {
        setListCell(list, inserted, TIME_COLUMN, cells.display);
        if (cells.recurrence.repeats()) {
            setListCell(list, inserted, REPEAT_COLUMN, repeatLabel(cells.recurrence));
        }
    }
    return inserted;
}

void setAppointmentRow(HWND list, int row, const AppointmentRow& cells, RowRecords& records) {
    setListCell(list, row, TEXT_COLUMN, cells.text);
    setListCell(list, row, TIME_COLUMN, cells.display);
    setListCell(list, row, REPEAT_COLUMN, repeatLabel(cells.recurrence));
    if (const auto index = recordIndex(list, row); index && *index < records.size()) {
        records[*index] = {cells.recurrence, cells.id};
    }
}

std::optional<RowRecord> rowRecord(HWND list, int row, const RowRecords& records) {
    const auto index = recordIndex(list, row);
    if (!index) {
        return std::nullopt;
    }
    return *index < records.size() ? records[*index] : RowRecord{};
}

std::optional<AppointmentRow> appointmentRow(HWND list, int row, std::size_t bufferBytes,
                                             const RowRecords& records) {
    const auto found = rowRecord(list, row, records);
    if (!found) {
        return std::nullopt;
    }
    const RowRecord& record = *found;
    return AppointmentRow{listCellText(list, row, TEXT_COLUMN, bufferBytes).value_or(""),
                          listCellText(list, row, TIME_COLUMN, bufferBytes).value_or(""),
                          record.recurrence, record.id};
}
