// Placement, nudge, snooze length and quiet moments of the alarm window, without a window.
#include "app/alarm_logic.h"

ScreenPoint alarmWindowPlace(int screenWidth, int screenHeight, int width, int height, int position,
                             int dpi) {
    const int margin = scaleToDpi(ALARM_WINDOW_MARGIN, dpi);
    const int right = screenWidth - width - margin;
    const int bottom = screenHeight - height - margin;
    const int middleX = (screenWidth - width) / 2;
    const int middleY = (screenHeight - height) / 2;
    switch (position) {
    case 1:
        return {right, margin};
    case 2:
        return {right, middleY};
    case 3:
        return {right, bottom};
    case 4:
        return {margin, margin};
    case 5:
        return {margin, middleY};
    case 6:
        return {margin, bottom};
    default:
        return {middleX, middleY};
    }
}

ScreenPoint nudgedAlarmWindowPlace(int screenWidth, int screenHeight, int left, int top, int bottom,
                                   int dpi) {
    const int step = scaleToDpi(ALARM_WINDOW_MARGIN, dpi);
    const int dx = left < screenWidth / 2 ? step : -step;
    const int dy = bottom < screenHeight / 2 ? step : -step;
    return {left + dx, top + dy};
}

std::uint32_t snoozeMinutesFromText(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && text[at] == ' ') {
        ++at;
    }
    std::uint64_t minutes = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        minutes = minutes * 10 + static_cast<std::uint64_t>(text[at] - '0');
        if (minutes > LONGEST_TIMER_MINUTES) {
            return LONGEST_TIMER_MINUTES;
        }
    }
    return minutes < 1 ? 1 : static_cast<std::uint32_t>(minutes);
}

std::uint32_t timerMilliseconds(std::uint32_t minutes) {
    return (minutes > LONGEST_TIMER_MINUTES ? LONGEST_TIMER_MINUTES : minutes) * 60000u;
}

bool holdsAlarmQuiet(bool queried, int moment) {
    if (!queried) {
        return false;
    }
    switch (static_cast<UserMoment>(moment)) {
    case UserMoment::Busy:
    case UserMoment::FullScreenDirect3D:
    case UserMoment::Presentation:
        return true;
    default:
        return false;
    }
}
