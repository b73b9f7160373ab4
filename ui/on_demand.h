// System libraries that only some windows need, loaded when the first of them
// opens instead of at start-up, which then costs no more than the tray icon.
#pragma once

#include <windows.h>

// The common controls (list views, date and time pickers, up-down controls) for
// the windows made from templates that hold them; called before each such window
// is made. The library is loaded and its classes registered once per run. False
// when they could not be had.
bool loadCommonControls();

// PlaySoundA, with the sound library loaded from the system folder the first time
// a sound plays or stops (most runs never play one). FALSE when it cannot be had.
BOOL WINAPI playSoundOnDemand(LPCSTR sound, HMODULE module, DWORD flags);

// A library of the system folder, loaded by its full path (never a file of that
// name beside the program or in the current folder); nullptr when it cannot be.
HMODULE systemLibrary(const char* name);

// A function of a loaded library by name; nullptr without the library or the function.
template <typename Function> Function functionOf(HMODULE module, const char* name) {
    return module != nullptr
               ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
               : nullptr;
}
