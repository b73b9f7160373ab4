// The hidden main window: its class, its procedure, the tick and the alarm switch.
#pragma once

#include <windows.h>

constexpr char MAIN_WINDOW_CLASS[] = "quarv_wecker";
constexpr char PROGRAM_TITLE[] = "Quarv Zodora";

// Registers the class "quarv_wecker" with the main window procedure; false on failure.
bool registerMainWindowClass(HINSTANCE instance);

// The hidden, disabled main window; nullptr on failure. Never shown.
HWND createMainWindow(HINSTANCE instance);

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

// Looks at the earliest appointment: shows its status, sleeps on an empty book,
// or opens the alarm window of a due appointment and saves the book.
void tick();

// Menu command 40001: Off to Running, Running or Sleeping to Off.
void toggleAlarm();
