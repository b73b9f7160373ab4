// The hidden main window "quarv_wecker": it receives the tick timer, the tray
// icon's notifications and the menu's commands, and carries them out on the
// program that made it.
#pragma once

#include <windows.h>

class Program;

constexpr char MAIN_WINDOW_CLASS[] = "quarv_wecker";

// Registers the class "quarv_wecker" with the main window procedure; false on failure.
bool registerMainWindowClass(HINSTANCE instance);

// The hidden, disabled main window of a program; nullptr on failure. Never shown.
HWND createMainWindow(HINSTANCE instance, Program& program);

// After this, messages to the window no longer reach the program.
void forgetProgram(HWND window, const Program& program);
