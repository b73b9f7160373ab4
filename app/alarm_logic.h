// The alarm window's arithmetic that needs no window: where it stands on the
// screen, how it steps back into view, how long a snooze lasts, and whether the
// moment lets it ring.
#pragma once

#include <cstdint>
#include <string_view>

#include "ui/dpi_scale.h"

struct ScreenPoint {
    int x = 0;
    int y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

// The longest period in minutes that a window timer still holds in
// milliseconds (USER_TIMER_MAXIMUM, about 24 days).
constexpr std::uint32_t LONGEST_TIMER_MINUTES = 0x7FFFFFFF / 60000;

// Margin between the window and the screen's edges, and the step of a nudge,
// at 96 DPI; both grow with the window's DPI.
constexpr int ALARM_WINDOW_MARGIN = 20;

// The top left corner for a window of width x height on a screen of
// screenWidth x screenHeight (all in pixels of a display at dpi): 1 right top,
// 2 right middle, 3 right bottom, 4 left top, 5 left middle, 6 left bottom, any
// other value the centre.
ScreenPoint alarmWindowPlace(int screenWidth, int screenHeight, int width, int height, int position,
                             int dpi = BASE_DPI);

// The window's new top left corner after one step towards the screen's middle:
// right when its left edge lies in the left half, else left; down when its
// bottom edge lies in the upper half, else up.
ScreenPoint nudgedAlarmWindowPlace(int screenWidth, int screenHeight, int left, int top, int bottom,
                                   int dpi = BASE_DPI);

// The snooze length typed into the edit, read as an unsigned decimal number
// after leading blanks (as the dialog manager reads one). Text that is not a
// number, and 0, count as 1 minute; a number too long for any timer counts as
// the longest timer.
std::uint32_t snoozeMinutesFromText(std::string_view text);

// A timer's period in milliseconds for a number of minutes, at most the
// longest timer.
std::uint32_t timerMilliseconds(std::uint32_t minutes);

// The user's moment as the shell reports it (SHQueryUserNotificationState), by
// the numbers of QUERY_USER_NOTIFICATION_STATE.
enum class UserMoment : int {
    NotPresent = 1,           // locked, screen saver, fast user switching
    Busy = 2,                 // a full-screen program, or presentation settings applied
    FullScreenDirect3D = 3,   // a full-screen Direct3D program (a game, a video)
    Presentation = 4,         // presentation mode
    AcceptsNotifications = 5, // nothing special
    QuietTime = 6,            // the first hour of a new user
    App = 7,                  // a store app in front
};

// Whether an alarm is held quiet (opens without taking the foreground and
// without sound, until the moment has passed): while the user presents or a
// full-screen program runs. Every other moment, an unknown number and a query
// that failed (queried false) change nothing.
bool holdsAlarmQuiet(bool queried, int moment);
