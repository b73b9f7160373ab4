// Where the dialog templates come from: the resources are linked into the
// program's executable (and into every test program that opens a dialog).
#pragma once

#include <windows.h>

// The module of the owner window, or the executable's own without an owner.
inline HINSTANCE templateModule(HWND owner) {
    const auto module = owner != nullptr
                            ? reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE))
                            : nullptr;
    return module != nullptr ? module : GetModuleHandleA(nullptr);
}
