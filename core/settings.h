// The program's configuration record: plain data that the scheduler, the alarm
// windows and the appointment file read, filled from the registry at start-up.
#pragma once

#include <cstdint>
#include <string>

// Zero at process start, filled at start-up, changed only by the configuration
// dialog. Field order is part of the record's identity.
struct Settings {
    bool userdata = false;        // every user has appointments and settings of their own
    bool onafterstart = false;    // alarm on after start
    bool onondemand = false;      // sleep when on and the book is empty
    bool deleteold = false;       // drop past appointments at start instead of showing them
    std::int32_t alarmoffset = 0; // minutes before the appointment
    bool showalarmwindow = false; // stored only
    std::int32_t alarmend = 0;    // minutes after which the alarm window ends itself, 0 never
    std::int32_t alarmrepeat = 0; // default snooze minutes
    std::int32_t alarmpos = 0;    // alarm window position 0 to 6
    bool playsound = false;
    bool repeatsound = false;
    // The folder that holds the appointment file; empty for the application-data
    // folder that "userdata" chooses.
    std::string datafolder;

    bool operator==(const Settings&) const = default;
};
