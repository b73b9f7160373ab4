// The tip of a user's first start: a balloon from the tray icon that says where
// the program runs and how to keep its icon in sight on Windows 11, shown once
// per user (the per-user value "tipshown").
#pragma once

class Registry;

extern const char FIRST_START_TIP_TITLE[];
extern const char FIRST_START_TIP_TEXT[];

// Whether this user has had the tip: "tipshown" is 1 in the user's own
// "Software\QuarvWecker", whatever "userdata" says.
bool firstStartTipShown(Registry& registry);

// Remembers that this user has had the tip; false when it could not be written.
bool rememberFirstStartTip(Registry& registry);
