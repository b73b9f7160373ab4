// The program's state for the dialog tests: the real hidden main window with a
// counter of the ticks it receives, silent alarm windows, and helpers for times
// and the appointment file.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/appointment_book.h"

class ProgramFixture : public ::testing::Test {
  protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Dispatches every message waiting for this thread.
    static void pumpMessages();

    // WM_TIMER messages the main window received since SetUp, with the text of
    // the book's earliest appointment at that moment ("" for an empty book).
    static const std::vector<std::string>& ticksSeen();

    // The windows owned by the main window: its alarm windows and dialogs.
    static int ownedWindowCount();

    static HWND mainWindow();
};

// The titles of the appointment list and of the editor in its two modes.
constexpr char LIST_TITLE[] = "Quarv Revov - Termine";
constexpr char NEW_TITLE[] = "Quarv Zodora - neuer Termin";
constexpr char CHANGE_TITLE[] = "Quarv Zodora - Termin \xE4ndern";

// Opens the editor from the list dialog through a double click on a row
// (row >= 0) or "Neu" (row < 0), and waits for it.
HWND openEditor(HWND listDialog, int row);

// Presses an editor button and waits until the list dialog has acted on the answer.
void closeEditor(HWND editor, int button);

// A time value for a display form such as "Fr., 15.03.2030 09:30".
TimeValue at(const char* display);

// The current time, cut to the whole minute.
TimeValue thisMinute();

// Every appointment of a book in book order.
std::vector<Appointment> contents(const AppointmentBook& book);

// The appointments in the appointment file, past and future, in file order of time.
std::vector<Appointment> savedAppointments();

// Removes the appointment file, so that a test sees whether it was written.
void removeAppointmentFile();
bool appointmentFileExists();
