// What the tests of the appointment list share: its titles, the program whose
// menu opens it, and opening and closing the editor from it.
#pragma once

#include <windows.h>

#include "res/resource.h"
#include "tests/support/program_fixture.h"

// The titles of the appointment list and of the editor in its two modes.
constexpr char LIST_TITLE[] = "Quarv Revov - Termine";
constexpr char NEW_TITLE[] = "Quarv Zodora - neuer Termin";
constexpr char CHANGE_TITLE[] = "Quarv Zodora - Termin \xE4ndern";

class ListFixture : public ProgramFixture {
  protected:
    // Opens the list from the menu, as the user does.
    void showList() { program->command(IDM_APPOINTMENTS); }

    bool appointmentFileExists() const { return fileExists(appointmentFile()); }
};

// Opens the editor from the list dialog through a double click on a row
// (row >= 0) or "Neu" (row < 0), and waits for it.
HWND openEditor(HWND listDialog, int row);

// Presses an editor button and waits until the list dialog has acted on the answer.
void closeEditor(HWND editor, int button);

// Sets a date or time picker of a dialog; false when the picker refused the value.
bool setPicker(HWND dialog, int picker, SYSTEMTIME time);
