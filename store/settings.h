// The program's configuration record and its registry store.
#pragma once

#include <cstdint>
#include <string>

// One global record: zero at process start, filled at start-up, changed only
// by the configuration dialog. Field order is part of the record's identity.
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
};

class Registry;

// Reads the record from the registry: "userdata" from the machine key, the other
// values from the key that "userdata" chooses; a first start gets the fresh defaults.
void loadSettings(Registry& registry, Settings& settings);

// Writes the record; "defsoundevent" as well when a standard sound event name is given.
void saveSettings(Registry& registry, const Settings& settings,
                  const std::string* defaultSoundEvent = nullptr);

// The first-start defaults, saved at once. userdataKnown: "userdata" is settled already.
void resetSettings(Registry& registry, Settings& settings, bool userdataKnown);

// Whether the process may change the machine-wide options; asked anew on every call.
bool isAdministrator();

// Replaces the test behind isAdministrator; returns the one in use before.
using AdministratorTest = bool (*)();
AdministratorTest setAdministratorTest(AdministratorTest test);

// The platform's test (Windows build: the Administrators group enabled in the token).
bool systemAdministratorTest();
