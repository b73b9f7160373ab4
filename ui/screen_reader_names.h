// Names for screen readers of controls that show no text of their own, given
// through oleacc's dynamic annotation (IAccPropServices), with ole32 loaded when
// a dialog first needs it.
#pragma once

#include <windows.h>

#include <span>

struct ScreenReaderName {
    int id;              // a control of the dialog
    const wchar_t* name; // what a screen reader says for it
};

// COM on this thread for as long as the object lives (a dialog's time); the
// annotation needs it. Does nothing where ole32 cannot be had.
class ComApartment {
  public:
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

  private:
    bool entered_ = false;
};

// Gives the dialog's controls their names; false when the system could not take
// them all (no oleacc, or no COM on this thread).
bool nameForScreenReaders(HWND dialog, std::span<const ScreenReaderName> names);

// Takes the names back; called before the controls are destroyed.
void forgetScreenReaderNames(HWND dialog, std::span<const ScreenReaderName> names);
