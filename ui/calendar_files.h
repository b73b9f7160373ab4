// The system's dialogs that choose an iCalendar file to read or to write, and the name
// Windows gives the PC's time zone.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// The standard open ("Termine importieren") or save dialog ("Termine exportieren",
// asking before it replaces a file) for "*.ics" files; nothing when the user cancels.
std::optional<std::string> chooseCalendarFile(HWND owner, bool forSaving);

// The key name of the PC's zone ("W. Europe Standard Time"), as Outlook names it in its
// files; empty when Windows names none.
std::string windowsZoneName();
