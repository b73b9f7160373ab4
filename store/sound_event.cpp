// The sound event "QW_Alarm" in the current user's sound scheme under "AppEvents".
#include "store/sound_event.h"

#include "store/registry.h"

namespace {

constexpr const char* SCHEME_APPS = "AppEvents\\Schemes\\Apps";
constexpr const char* EVENT_LABELS = "AppEvents\\EventLabels";
constexpr const char* ALARM_EVENT_KEY = "AppEvents\\Schemes\\Apps\\belvanto\\QW_Alarm";
constexpr const char* ALARM_CURRENT_KEY = "AppEvents\\Schemes\\Apps\\belvanto\\QW_Alarm\\.Current";
constexpr const char* DEFAULT_BEEP_KEY = "AppEvents\\Schemes\\Apps\\.Default\\.Default\\.Default";

constexpr std::size_t EVENT_NAME_CHARS = 63;
constexpr std::size_t LABEL_CHARS = 63;
constexpr std::size_t FILE_NAME_CHARS = 259;

// The default value of a key of the current user, as text; false when the key or the
// value is missing or the value is not a string.
bool readDefaultString(Registry& registry, const std::string& path, std::size_t maxChars,
                       std::string& text, RegistryType* type = nullptr) {
    const RegistryKey key = registry.open(RegistryRoot::User, path, RegistryAccess::Read);
    RegistryType kind = RegistryType::None;
    std::string read;
    if (!key || !key.readString("", maxChars, read, &kind) ||
        (kind != RegistryType::String && kind != RegistryType::ExpandString)) {
        return false;
    }
    text = std::move(read);
    if (type != nullptr) {
        *type = kind;
    }
    return true;
}

std::string currentSoundKey(const std::string& event) {
    return std::string(SCHEME_APPS) + "\\.Default\\" + event + "\\.Current";
}

// "defsoundevent" of the machine key; empty when the key or the value is missing.
std::string readDefaultSoundEvent(Registry& registry) {
    const RegistryKey key =
        registry.open(RegistryRoot::Machine, "Software\\QuarvWecker", RegistryAccess::Read);
    std::string name;
    if (key) {
        key.readString("defsoundevent", EVENT_NAME_CHARS, name);
    }
    return name;
}

// Gives a created subkey a default value; a failure leaves the caller going on.
void createWithDefault(const RegistryKey& parent, const char* name, std::string_view value,
                       RegistryType type) {
    const RegistryKey key = parent.create(name);
    if (key) {
        key.writeString("", value, type);
    }
}

} // namespace

void registerAlarmSound(Registry& registry) {
    if (registry.open(RegistryRoot::User, ALARM_EVENT_KEY, RegistryAccess::Read)) {
        return; // registered at an earlier start
    }

    // The first sound: the standard event's current one, else the default beep's. Both
    // are only read, so read access is all that is asked for.
    std::string file;
    RegistryType type = RegistryType::String;
    const std::string standard = readDefaultSoundEvent(registry);
    if (!standard.empty()) {
        readDefaultString(registry, currentSoundKey(standard), FILE_NAME_CHARS, file, &type);
    }
    if (file.size() < 5) {
        file.clear();
        type = RegistryType::String;
        readDefaultString(registry, DEFAULT_BEEP_KEY, FILE_NAME_CHARS, file, &type);
    }

    RegistryKey apps = registry.open(RegistryRoot::User, SCHEME_APPS, RegistryAccess::Full);
    if (!apps) {
        return;
    }
    RegistryKey application = apps.create("belvanto");
    apps.close();
    if (!application) {
        return;
    }
    application.writeString("", "Quarv Zodora");
    RegistryKey event = application.create("QW_Alarm");
    application.close();
    if (!event) {
        return;
    }
    createWithDefault(event, ".Default", file, type);
    createWithDefault(event, ".Current", file, type);
    event.close();

    const RegistryKey labels =
        registry.open(RegistryRoot::User, EVENT_LABELS, RegistryAccess::Full);
    if (labels) {
        createWithDefault(labels, "QW_Alarm", "Alarm", RegistryType::String);
    }
}

StandardSoundEvent readStandardSoundEvent(Registry& registry) {
    std::string event = readDefaultSoundEvent(registry);
    if (event.empty()) {
        event = ".Default";
    }
    std::string label;
    if (!readDefaultString(registry, std::string(EVENT_LABELS) + "\\" + event, LABEL_CHARS,
                           label) ||
        label.empty()) {
        return {"undefiniert", ".Default"};
    }
    return {label, event};
}

std::string readAlarmSoundFile(Registry& registry, const std::string& standardEvent) {
    std::string file;
    if (readDefaultString(registry, ALARM_CURRENT_KEY, FILE_NAME_CHARS, file) && !file.empty()) {
        return file;
    }
    file.clear();
    if (standardEvent.size() >= 2 &&
        readDefaultString(registry, currentSoundKey(standardEvent), FILE_NAME_CHARS, file) &&
        !file.empty()) {
        return file;
    }
    return {};
}

void restoreAlarmSoundFile(Registry& registry, const std::string& file,
                           const std::string* shownFile) {
    std::string current;
    if (shownFile == nullptr) {
        readDefaultString(registry, ALARM_CURRENT_KEY, FILE_NAME_CHARS, current);
        shownFile = &current;
    }
    if (file.size() < 5 || shownFile->size() < 5 || file == *shownFile) {
        return;
    }
    const RegistryKey key =
        registry.open(RegistryRoot::User, ALARM_CURRENT_KEY, RegistryAccess::Full);
    if (key) {
        key.writeString("", file, RegistryType::ExpandString);
    }
}
