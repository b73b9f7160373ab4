// The DPI of a window, system metrics at a DPI, and icons loaded at the size
// they are shown in, on every Windows from 7 on.
#pragma once

#include <windows.h>

#include "ui/dpi_scale.h"

// The DPI of the window's monitor under per-monitor awareness (Windows 10 1607
// and later); the system's DPI on older Windows and for no window (nullptr).
int windowDpi(HWND window);

// A system metric (SM_CXSMICON, SM_CXICON, ...) at a DPI. Where the system
// cannot give it for another DPI (before Windows 10 1607), its own value at the
// system's DPI is scaled.
int systemMetricForDpi(int index, int dpi);

// The icon resource at size x size pixels, loaded once per size and kept for
// the whole run: a shared handle, never destroyed by the caller. nullptr when
// the resource cannot be loaded. User-interface thread only.
HICON iconOfSize(HINSTANCE instance, int iconId, int size);

// The icon resource at the small-icon (caption, notification area) or the
// large-icon (Alt+Tab, about box) size of a DPI.
HICON smallIconForDpi(HINSTANCE instance, int iconId, int dpi);
HICON largeIconForDpi(HINSTANCE instance, int iconId, int dpi);

// Gives the window an icon resource of its own module as its caption and
// Alt+Tab icon at a DPI; called again when the window's DPI changes.
void setWindowIcons(HWND window, int iconId, int dpi);
