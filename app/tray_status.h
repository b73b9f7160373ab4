// The tray's status icons.
#pragma once

#include <windows.h>

// A status icon at the small-icon size of a DPI. Shared handle: never destroyed
// by the caller.
HICON loadTrayIcon(HINSTANCE instance, int iconId, int dpi);
