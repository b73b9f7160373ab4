// The program's sound event "QW_Alarm" in the user's sound scheme.
#pragma once

#include <string>

class Registry;

// Registers "QW_Alarm" of the application "belvanto" for the current user, once:
// its first sound comes from the standard event ("defsoundevent") or the default beep.
void registerAlarmSound(Registry& registry);

// The standard alarm sound event: its label and key name ("undefiniert" and ".Default"
// when it has no label).
struct StandardSoundEvent {
    std::string label;
    std::string event;
};
StandardSoundEvent readStandardSoundEvent(Registry& registry);

// The file that "QW_Alarm" plays now, else the current sound of the given standard
// event (key name of at least 2 characters), else empty.
std::string readAlarmSoundFile(Registry& registry, const std::string& standardEvent = ".Default");

// Puts the file kept when the configuration dialog opened back into "QW_Alarm\.Current"
// when it differs from the one shown now (both of at least 5 characters). Without a
// shown file, the one that "QW_Alarm\.Current" holds now is compared.
void restoreAlarmSoundFile(Registry& registry, const std::string& file,
                           const std::string* shownFile = nullptr);
