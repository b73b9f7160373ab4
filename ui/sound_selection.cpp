// The standard sound dialog (template 122), the start of the sound control
// panel, and the hidden dialog (template 121) that waits for the panel to end.
#include "ui/sound_selection.h"

#include <versionhelpers.h>

#include "core/no_throw.h"
#include "res/resource.h"
#include "store/registry.h"
#include "store/sound_event.h"
#include "ui/config_dialog_ids.h"
#include "ui/config_rules.h"
#include "ui/dialog_text.h"
#include "ui/sound_selection_ids.h"
#include "ui/template_module.h"

namespace {

constexpr std::size_t SYSTEM_DIRECTORY_CHARS = 259;

const char* const PANEL_TITLE = "Alarm-Sound ändern";
const char* const PANEL_QUESTION =
    "Der gewünschte Alarmsound muss im Systemsteuerungsmodul \"Sounds und Audiogeräte\" bei "
    "\"Quarv Zodora / Alarm\" gesetzt werden.\r\nSystemsteuerungsmodul \"Sounds und "
    "Audiogeräte\" jetzt starten?";
const char* const PANEL_FAILED =
    "Sorry!\r\nKann Systemsteuerungsmodul \"Sounds und Audiogeräte\" nicht starten";

// --- Standard sound dialog ---------------------------------------------------

struct StandardSoundState {
    HWND configDialog;
    Registry& registry;
    SoundEventList list; // the entries' key names; each list entry holds its index here
};

void fillSoundEvents(HWND dialog, StandardSoundState& state) {
    std::string wanted =
        dialogItemText(state.configDialog, IDC_CFG_STANDARD_SOUND, SOUND_EVENT_CHARS);
    state.list = listSoundEvents(state.registry, wanted);

    const HWND list = GetDlgItem(dialog, IDC_SOUND_EVENTS);
    for (std::size_t i = 0; i < state.list.events.size(); ++i) {
        const LRESULT entry = SendMessageA(
            list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(state.list.events[i].label.c_str()));
        if (entry >= 0) {
            SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(entry), static_cast<LPARAM>(i));
        }
    }
    if (!state.list.events.empty()) {
        SendMessageA(list, LB_SELECTSTRING, 0,
                     reinterpret_cast<LPARAM>(state.list.selectText.c_str()));
    }
}

// OK: the selected event becomes the configuration dialog's standard event,
// marked as modified so that OK there saves it.
void takeSelectedEvent(HWND dialog, const StandardSoundState& state) {
    const HWND list = GetDlgItem(dialog, IDC_SOUND_EVENTS);
    const LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR) {
        return;
    }
    const auto index = static_cast<std::size_t>(SendMessageA(list, LB_GETITEMDATA, selected, 0));
    if (index >= state.list.events.size()) {
        return;
    }
    const SoundEvent& event = state.list.events[index];
    SetDlgItemTextA(state.configDialog, IDC_CFG_STANDARD_SOUND, event.label.c_str());
    SetDlgItemTextA(state.configDialog, IDC_CFG_STANDARD_SOUND_KEY, event.key.c_str());
    SendDlgItemMessageA(state.configDialog, IDC_CFG_STANDARD_SOUND_KEY, EM_SETMODIFY, TRUE, 0);
}

INT_PTR CALLBACK standardSoundDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                         LPARAM lParam) noexcept {
    return noThrow<INT_PTR>(FALSE, [&]() -> INT_PTR {
        auto* state = reinterpret_cast<StandardSoundState*>(GetWindowLongPtrA(dialog, DWLP_USER));
        switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            fillSoundEvents(dialog, *reinterpret_cast<StandardSoundState*>(lParam));
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
            case IDOK:
                takeSelectedEvent(dialog, *state);
                EndDialog(dialog, IDOK);
                return TRUE;
            case IDCANCEL:
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            default:
                return FALSE;
            }
        default:
            return FALSE;
        }
    });
}

// --- Control panel wait dialog ---------------------------------------------

// What the wait dialog watches, and where it reads the new sound file.
struct WaitState {
    ControlPanelProcess& process;
    Registry& registry;
};

UINT_PTR pollTimerId(const ControlPanelProcess& process) {
    return reinterpret_cast<UINT_PTR>(process.process());
}

void endWait(HWND dialog, WaitState& state) {
    KillTimer(dialog, pollTimerId(state.process));
    const HWND configDialog = GetWindow(dialog, GW_OWNER);
    const std::string event =
        dialogItemText(configDialog, IDC_CFG_STANDARD_SOUND_KEY, SOUND_EVENT_CHARS);
    const std::string file = readAlarmSoundFile(state.registry, event);
    SetDlgItemTextA(configDialog, IDC_CFG_SOUND_FILE, file.c_str());
    state.process.release();
    EndDialog(dialog, IDOK);
}

INT_PTR handleWaitMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<WaitState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowPos(dialog, HWND_BOTTOM, 0, 0, 10, 10, SWP_HIDEWINDOW);
        state = reinterpret_cast<WaitState*>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        const HANDLE process = state != nullptr ? state->process.process() : nullptr;
        if (process == nullptr || process == INVALID_HANDLE_VALUE) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        SetTimer(dialog, pollTimerId(state->process), CONTROL_PANEL_POLL_MS, nullptr);
        SetDlgItemInt(dialog, IDC_WAIT_RAISE_WINDOW, 0, FALSE);
        return TRUE;
    }
    case WM_WINDOWPOSCHANGING:
        // The dialog manager shows a modal dialog once its queue is idle;
        // this one stays unseen.
        reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~static_cast<UINT>(SWP_SHOWWINDOW);
        return TRUE;
    case WM_TIMER: {
        if (state == nullptr || wParam != pollTimerId(state->process)) {
            return FALSE;
        }
        DWORD exitCode = 0;
        if (GetExitCodeProcess(state->process.process(), &exitCode) && exitCode == STILL_ACTIVE) {
            return TRUE;
        }
        endWait(dialog, *state);
        return TRUE;
    }
    case WM_NCACTIVATE: {
        const UINT raise = GetDlgItemInt(dialog, IDC_WAIT_RAISE_WINDOW, nullptr, FALSE);
        if (wParam != 0 && raise != 0) {
            const HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(raise));
            ShowWindow(window, SW_SHOWDEFAULT);
            SetForegroundWindow(window);
        }
        return FALSE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        if (state != nullptr) {
            KillTimer(dialog, pollTimerId(state->process));
        }
        return FALSE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK waitDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return noThrow<INT_PTR>(FALSE,
                            [&] { return handleWaitMessage(dialog, message, wParam, lParam); });
}

} // namespace

void ControlPanelProcess::release() noexcept {
    if (info_.hThread != nullptr) {
        CloseHandle(info_.hThread);
    }
    if (info_.hProcess != nullptr) {
        CloseHandle(info_.hProcess);
    }
    info_ = PROCESS_INFORMATION{};
}

void showStandardSoundDialog(HWND configDialog, Registry& registry) {
    StandardSoundState state{configDialog, registry, {}};
    DialogBoxParamA(templateModule(configDialog), MAKEINTRESOURCEA(IDD_STANDARD_SOUND),
                    configDialog, standardSoundDialogProc, reinterpret_cast<LPARAM>(&state));
}

bool launchSoundControlPanel(HWND owner, ControlPanelProcess& process,
                             const std::string& commandOverride) {
    process.release();
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;

    char systemDirectory[SYSTEM_DIRECTORY_CHARS + 1] = "";
    const UINT length = GetSystemDirectoryA(systemDirectory, sizeof systemDirectory);
    if (length == 0 || length >= sizeof systemDirectory) {
        systemDirectory[0] = '\0';
    }

    if (MessageBoxA(owner, PANEL_QUESTION, PANEL_TITLE, MB_YESNO | MB_ICONINFORMATION) != IDYES) {
        return false;
    }

    std::string commandLine = commandOverride.empty()
                                  ? soundControlPanelCommand(IsWindowsVistaOrGreater())
                                  : commandOverride;
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                        nullptr, systemDirectory[0] != '\0' ? systemDirectory : nullptr, &startup,
                        &process.info())) {
        process.release();
        MessageBoxA(owner, PANEL_FAILED, PANEL_TITLE, MB_ICONERROR);
        return false;
    }
    return true;
}

void waitForSoundControlPanel(HWND configDialog, ControlPanelProcess& process, Registry& registry) {
    WaitState state{process, registry};
    DialogBoxParamA(templateModule(configDialog), MAKEINTRESOURCEA(IDD_CONTROL_PANEL_WAIT),
                    configDialog, waitDialogProc, reinterpret_cast<LPARAM>(&state));
}
