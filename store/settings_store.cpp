// The settings store: the Settings record in the registry under "Software\QuarvWecker".
#include "store/settings_store.h"

#include <cstdint>

#include "store/data_folder.h"
#include "store/registry.h"

namespace {

constexpr const char* SETTINGS_PATH = "Software\\QuarvWecker";

bool readBool(const RegistryKey& key, const char* name, bool missing) {
    std::uint32_t value = 0;
    return key.readDword(name, value) ? value == 1 : missing;
}

std::int32_t readInt(const RegistryKey& key, const char* name, std::int32_t missing) {
    std::uint32_t value = 0;
    return key.readDword(name, value) ? static_cast<std::int32_t>(value) : missing;
}

// The folder of the appointment file: a complete path stored as REG_SZ, or empty for
// the application-data folder (value missing, empty, of another kind or not usable).
std::string readDataFolder(const RegistryKey& key) {
    std::string folder;
    RegistryType type = RegistryType::None;
    if (!key.readString("datafolder", STORED_DATA_FOLDER_CHARS, folder, &type) ||
        type != RegistryType::String || !isAbsoluteFolder(folder)) {
        return {};
    }
    return folder;
}

// The values of the settings key, in their stored order, with the missing-value defaults.
void readSettingsKey(const RegistryKey& key, Settings& settings) {
    settings.alarmend = readInt(key, "alarmend", 0);
    settings.alarmrepeat = readInt(key, "alarmrepeat", 5);
    settings.alarmoffset = readInt(key, "alarmoffset", 5);
    settings.deleteold = readBool(key, "deleteold", false);
    settings.onafterstart = readBool(key, "onafterstart", false);
    settings.onondemand = readBool(key, "onondemand", false);
    settings.showalarmwindow = readBool(key, "showalarmwindow", true);
    settings.alarmpos = readInt(key, "alarmpos", 0);
    settings.playsound = readBool(key, "playsound", false);
    settings.repeatsound = readBool(key, "repeatsound", false);
    settings.datafolder = readDataFolder(key);
}

// Each write stands alone: a failed one does not keep the others from being made.
void writeSettingsKey(const RegistryKey& key, const Settings& settings) {
    key.writeDword("alarmend", static_cast<std::uint32_t>(settings.alarmend));
    key.writeDword("alarmrepeat", static_cast<std::uint32_t>(settings.alarmrepeat));
    key.writeDword("alarmoffset", static_cast<std::uint32_t>(settings.alarmoffset));
    key.writeDword("deleteold", settings.deleteold ? 1 : 0);
    key.writeDword("onafterstart", settings.onafterstart ? 1 : 0);
    key.writeDword("onondemand", settings.onondemand ? 1 : 0);
    key.writeDword("showalarmwindow", settings.showalarmwindow ? 1 : 0);
    key.writeDword("alarmpos", static_cast<std::uint32_t>(settings.alarmpos));
    key.writeDword("playsound", settings.playsound ? 1 : 0);
    key.writeDword("repeatsound", settings.repeatsound ? 1 : 0);
    // Written when it changes: a registry that never had the value keeps it absent,
    // and the way back to the application-data folder stores it empty.
    if (readDataFolder(key) != settings.datafolder) {
        key.writeString("datafolder", settings.datafolder);
    }
}

} // namespace

void loadSettings(Registry& registry, Settings& settings) {
    RegistryKey key = registry.open(RegistryRoot::Machine, SETTINGS_PATH, RegistryAccess::Read);
    std::uint32_t userdata = 0;
    const bool userdataKnown = key && key.readDword("userdata", userdata);
    // Without the machine-wide choice the user's own settings count, as on a fresh
    // machine; an ordinary user cannot create the machine key, so the user's key may
    // well be all there is.
    settings.userdata = userdataKnown ? userdata == 1 : true;
    if (settings.userdata) {
        key.close();
        key = registry.open(RegistryRoot::User, SETTINGS_PATH, RegistryAccess::Read);
    }
    if (!key) {
        resetSettings(registry, settings, userdataKnown);
        return;
    }
    readSettingsKey(key, settings);
}

void saveSettings(Registry& registry, const Settings& settings,
                  const std::string* defaultSoundEvent) {
    // A machine key that cannot be written (an ordinary user, or an administrator
    // without elevation) costs only the machine-wide values: the user's own settings
    // are still written.
    RegistryKey key = registry.create(RegistryRoot::Machine, SETTINGS_PATH);
    if (key) {
        key.writeDword("userdata", settings.userdata ? 1 : 0);
        if (defaultSoundEvent != nullptr) {
            key.writeString("defsoundevent", *defaultSoundEvent);
        }
    }
    if (settings.userdata) {
        key.close();
        key = registry.create(RegistryRoot::User, SETTINGS_PATH);
    }
    if (key) {
        writeSettingsKey(key, settings);
    }
}

void resetSettings(Registry& registry, Settings& settings, bool userdataKnown) {
    if (!userdataKnown) {
        settings.userdata = true;
    }
    settings.alarmend = 0;
    settings.alarmrepeat = 5;
    settings.alarmoffset = 5;
    settings.deleteold = false;
    settings.onafterstart = true;
    settings.showalarmwindow = true;
    settings.alarmpos = 3;
    settings.playsound = false;
    settings.repeatsound = false;
    settings.datafolder.clear();
    saveSettings(registry, settings);
}
