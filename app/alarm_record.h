// What an alarm window is given when an appointment falls due.
#pragma once

#include <cstdint>
#include <string>

#include "core/appointment_book.h"

struct AlarmRecord {
    TimeValue alarmTime = 0;
    std::string text;
    std::int32_t reminderNumber = 1; // how many times the window has been shown
    std::int32_t autoEndMinutes = 0; // alarmend, 0 = no automatic end
    std::int32_t snoozeMinutes = 0;  // alarmrepeat
    std::int32_t position = 0;       // alarmpos: 1-6 a place on the screen, else centre
    bool playSound = false;
    bool repeatSound = false;
};
