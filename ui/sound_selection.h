// The two ways to change the alarm sound from the configuration dialog: the
// standard sound dialog and the sound control panel with its hidden wait dialog.
#pragma once

#include <windows.h>

#include <string>

class Registry;

// The handles of a started control panel process; closes what it still holds.
class ControlPanelProcess {
  public:
    ControlPanelProcess() = default;
    ControlPanelProcess(const ControlPanelProcess&) = delete;
    ControlPanelProcess& operator=(const ControlPanelProcess&) = delete;
    ~ControlPanelProcess() { release(); }

    PROCESS_INFORMATION& info() { return info_; }
    HANDLE process() const { return info_.hProcess; }
    // Closes both handles and clears the ids.
    void release() noexcept;

  private:
    PROCESS_INFORMATION info_{};
};

// Lets the user pick a Windows sound event as the standard alarm sound; on OK
// its label goes into the configuration dialog's field 1037 and its key name
// into field 1045, marked as modified.
void showStandardSoundDialog(HWND configDialog, Registry& registry);

// Asks the user and starts the sound control panel (the given command line, or
// the system's own when it is empty). True when it runs; a start that failed has
// been reported to the user.
bool launchSoundControlPanel(HWND owner, ControlPanelProcess& process,
                             const std::string& commandOverride);

// Blocks the configuration dialog, unseen, until the control panel has ended,
// then shows the alarm's sound file anew in its field 1042.
void waitForSoundControlPanel(HWND configDialog, ControlPanelProcess& process, Registry& registry);

// The wait dialog's poll interval.
constexpr UINT CONTROL_PANEL_POLL_MS = 500;
