// The real program driven from another process.
#include "tests/support/remote_program.h"

#include <commctrl.h>

#include <ctime>

#include "core/calendar.h"
#include "res/resource.h"

namespace {

constexpr char LIST_TITLE[] = "Quarv Revov - Termine";
constexpr char NEW_EDITOR_TITLE[] = "Quarv Zodora - neuer Termin";
constexpr char ALARM_TITLE[] = "Quarv Vurive - Termin";
constexpr int LIST_ID = 1014;
constexpr int NEW_BUTTON_ID = 1015;
constexpr int EDITOR_TEXT_ID = 1016;
constexpr int EDITOR_DATE_ID = 1017;
constexpr int EDITOR_TIME_ID = 1018;
constexpr int ALARM_TEXT_ID = 1027;
constexpr UINT SEND_LIMIT_MS = 30000;
constexpr std::size_t CELL_CHARS = 512;

bool sendAndWait(HWND window, UINT message, WPARAM wParam) {
    DWORD_PTR result = 0;
    return window != nullptr && SendMessageTimeoutA(window, message, wParam, 0, SMTO_NORMAL,
                                                    SEND_LIMIT_MS, &result) != 0;
}

// A control's text asked of its own process (GetWindowText does not ask another's).
std::string remoteText(HWND control) {
    char text[CELL_CHARS] = {};
    SendMessageA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

struct WindowsOf {
    DWORD process;
    const char* title;
    std::vector<HWND> found;
};

BOOL CALLBACK collectVisible(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<WindowsOf*>(context);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == search.process && IsWindowVisible(window) &&
        windowText(window) == search.title) {
        search.found.push_back(window);
    }
    return TRUE;
}

} // namespace

RemoteBuffer::RemoteBuffer(HANDLE process, std::size_t size)
    : process_(process),
      address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}

RemoteBuffer::~RemoteBuffer() {
    if (address_ != nullptr) {
        VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
}

bool RemoteBuffer::write(const void* data, std::size_t size, std::size_t offset) const {
    SIZE_T written = 0;
    return WriteProcessMemory(process_, reinterpret_cast<void*>(address(offset)), data, size,
                              &written) &&
           written == size;
}

bool RemoteBuffer::read(void* data, std::size_t size, std::size_t offset) const {
    SIZE_T done = 0;
    return ReadProcessMemory(process_, reinterpret_cast<const void*>(address(offset)), data, size,
                             &done) &&
           done == size;
}

bool RemoteProgram::sendTimer(UINT_PTR id) const {
    return sendAndWait(program_.mainWindow(), WM_TIMER, id);
}

bool RemoteProgram::sendMenuCommand(WORD id) const {
    return sendAndWait(program_.mainWindow(), WM_COMMAND, id);
}

HWND RemoteProgram::openList() const {
    PostMessageA(program_.mainWindow(), WM_COMMAND, IDM_APPOINTMENTS, 0);
    HWND list = nullptr;
    waitFor([&] {
        list = program_.window("#32770", LIST_TITLE);
        return list != nullptr && IsWindowVisible(list);
    });
    return list;
}

bool RemoteProgram::addRow(HWND list, const std::string& text, TimeValue time) const {
    const HWND rowsView = GetDlgItem(list, LIST_ID);
    const LRESULT before = SendMessageA(rowsView, LVM_GETITEMCOUNT, 0, 0);
    click(list, NEW_BUTTON_ID);
    HWND editor = nullptr;
    if (!waitFor([&] {
            editor = program_.window("#32770", NEW_EDITOR_TITLE);
            return editor != nullptr && IsWindowVisible(editor);
        })) {
        return false;
    }
    setItemText(editor, EDITOR_TEXT_ID, text);
    std::tm local{};
    timeToLocal(time, local);
    const SYSTEMTIME moment{static_cast<WORD>(local.tm_year + 1900),
                            static_cast<WORD>(local.tm_mon + 1),
                            static_cast<WORD>(local.tm_wday),
                            static_cast<WORD>(local.tm_mday),
                            static_cast<WORD>(local.tm_hour),
                            static_cast<WORD>(local.tm_min),
                            0,
                            0};
    // The pickers take the moment by pointer: it is put into the program's memory.
    const RemoteBuffer remote(program_.handle(), sizeof moment);
    if (!remote || !remote.write(&moment, sizeof moment)) {
        return false;
    }
    for (const int picker : {EDITOR_DATE_ID, EDITOR_TIME_ID}) {
        SendDlgItemMessageA(editor, picker, DTM_SETSYSTEMTIME, GDT_VALID, remote.address());
    }
    click(editor, IDOK);
    return waitFor([&] {
        return !IsWindow(editor) && SendMessageA(rowsView, LVM_GETITEMCOUNT, 0, 0) == before + 1;
    });
}

std::vector<ListRow> RemoteProgram::rows(HWND list) const {
    const HWND rowsView = GetDlgItem(list, LIST_ID);
    std::vector<ListRow> result;
    const RemoteBuffer remote(program_.handle(), sizeof(LVITEMA) + CELL_CHARS);
    const int count = static_cast<int>(SendMessageA(rowsView, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; remote && row < count; ++row) {
        ListRow cells;
        for (int column = 0; column < 2; ++column) {
            LVITEMA item{};
            item.iSubItem = column;
            item.pszText = reinterpret_cast<char*>(remote.address(sizeof item));
            item.cchTextMax = CELL_CHARS;
            char text[CELL_CHARS] = {};
            remote.write(&item, sizeof item);
            remote.write(text, sizeof text, sizeof item);
            SendMessageA(rowsView, LVM_GETITEMTEXTA, row, remote.address());
            remote.read(text, sizeof text - 1, sizeof item);
            (column == 0 ? cells.text : cells.time) = text;
        }
        result.push_back(cells);
    }
    return result;
}

bool RemoteProgram::closeList(HWND list, int button) const {
    click(list, button);
    // The save after OK runs once the dialog is gone: a message sent after it is
    // handled when the program is back in its message loop.
    return waitFor([&] { return !IsWindow(list); }) &&
           sendAndWait(program_.mainWindow(), WM_NULL, 0);
}

std::vector<std::string> RemoteProgram::alarms() const {
    WindowsOf search{program_.id(), ALARM_TITLE, {}};
    EnumWindows(collectVisible, reinterpret_cast<LPARAM>(&search));
    std::vector<std::string> texts;
    for (const HWND alarm : search.found) {
        texts.push_back(remoteText(GetDlgItem(alarm, ALARM_TEXT_ID)));
    }
    return texts;
}
