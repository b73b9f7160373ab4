// The settings in the registry under "Software\QuarvWecker": the machine-wide
// choice "userdata" and the record's values per user or for all users.
#pragma once

#include <string>

#include "core/settings.h"

class Registry;

// Reads the record from the registry: "userdata" from the machine key, the other
// values from the key that "userdata" chooses; a first start gets the fresh defaults.
void loadSettings(Registry& registry, Settings& settings);

// Writes the record; "defsoundevent" as well when a standard sound event name is given.
void saveSettings(Registry& registry, const Settings& settings,
                  const std::string* defaultSoundEvent = nullptr);

// The first-start defaults, saved at once. userdataKnown: "userdata" is settled already.
void resetSettings(Registry& registry, Settings& settings, bool userdataKnown);
