// Registration and look-ups of the sound event "QW_Alarm" over the in-memory registry.
#include <gtest/gtest.h>

#include "tests/support/memory_registry.h"
#include "store/sound_event.h"

namespace {

constexpr const char* AlarmEvent = "AppEvents\\Schemes\\Apps\\belvanto\\QW_Alarm";
constexpr const char* AlarmCurrent = "AppEvents\\Schemes\\Apps\\belvanto\\QW_Alarm\\.Current";
constexpr const char* AlarmDefault = "AppEvents\\Schemes\\Apps\\belvanto\\QW_Alarm\\.Default";
constexpr const char* BeepDefault = "AppEvents\\Schemes\\Apps\\.Default\\.Default\\.Default";
constexpr const char* BeepCurrent = "AppEvents\\Schemes\\Apps\\.Default\\.Default\\.Current";

std::string withNul(std::string_view text) {
    return std::string(text) + '\0';
}

void setDefault(Registry& registry, const std::string& path, std::string_view text,
                RegistryType type = RegistryType::String) {
    ASSERT_TRUE(registry.create(RegistryRoot::User, path).writeString("", text, type));
}

void setStandardEvent(Registry& registry, std::string_view name) {
    ASSERT_TRUE(registry.create(RegistryRoot::Machine, "Software\\QuarvWecker")
                    .writeString("defsoundevent", name));
}

RegistryValue defaultValue(Registry& registry, const char* path) {
    RegistryValue value;
    registry.open(RegistryRoot::User, path, RegistryAccess::Read).read("", 1024, value);
    return value;
}

// A user's sound scheme as Windows sets it up: the default beep and two more events.
class SoundEventTest : public ::testing::Test {
  protected:
    SoundEventTest() { fillScheme(registry); }

    static void fillScheme(Registry& scheme) {
        setDefault(scheme, BeepDefault, "%SystemRoot%\\media\\ding.wav",
                   RegistryType::ExpandString);
        setDefault(scheme, BeepCurrent, "C:\\beep-current.wav");
        setDefault(scheme, "AppEvents\\Schemes\\Apps\\.Default\\SystemAsterisk\\.Current",
                   "%SystemRoot%\\media\\chord.wav", RegistryType::ExpandString);
        setDefault(scheme, "AppEvents\\Schemes\\Apps\\.Default\\Short\\.Current", "a.wa");
        setDefault(scheme, "AppEvents\\EventLabels\\.Default", "Standardsignal");
        setDefault(scheme, "AppEvents\\EventLabels\\SystemAsterisk", "Sternchen");
        setDefault(scheme, "AppEvents\\EventLabels\\Unlabelled", "");
    }

    MemoryRegistry registry;
};

TEST_F(SoundEventTest, FirstStartCopiesTheStandardEventsSoundWithItsType) {
    setStandardEvent(registry, "SystemAsterisk");
    registerAlarmSound(registry);
    for (const char* key : {AlarmDefault, AlarmCurrent}) {
        const RegistryValue value = defaultValue(registry, key);
        EXPECT_EQ(value.type, RegistryType::ExpandString) << key;
        EXPECT_EQ(value.data, withNul("%SystemRoot%\\media\\chord.wav")) << key;
    }
    const RegistryValue application = defaultValue(registry, "AppEvents\\Schemes\\Apps\\belvanto");
    EXPECT_EQ(application.type, RegistryType::String);
    EXPECT_EQ(application.data, withNul("Quarv Zodora"));
    const RegistryValue label = defaultValue(registry, "AppEvents\\EventLabels\\QW_Alarm");
    EXPECT_EQ(label.type, RegistryType::String);
    EXPECT_EQ(label.data, withNul("Alarm"));
    EXPECT_EQ(registry.openKeys(), 0);
}

TEST_F(SoundEventTest, ShortUnknownOrNoStandardEventTakesTheDefaultBeepsSound) {
    for (const char* standard : {"", "Short", "NoSuchEvent"}) {
        MemoryRegistry scheme;
        fillScheme(scheme);
        if (*standard != '\0') {
            setStandardEvent(scheme, standard);
        }
        registerAlarmSound(scheme);
        for (const char* key : {AlarmDefault, AlarmCurrent}) {
            const RegistryValue value = defaultValue(scheme, key);
            EXPECT_EQ(value.type, RegistryType::ExpandString) << standard << key;
            EXPECT_EQ(value.data, withNul("%SystemRoot%\\media\\ding.wav")) << standard << key;
        }
    }
}

TEST(SoundEventRegistration, NoSoundAnywhereRegistersAnEmptyFileName) {
    MemoryRegistry registry;
    ASSERT_TRUE(registry.create(RegistryRoot::User, "AppEvents\\Schemes\\Apps"));
    ASSERT_TRUE(registry.create(RegistryRoot::User, "AppEvents\\EventLabels"));
    registerAlarmSound(registry);
    const RegistryValue value = defaultValue(registry, AlarmCurrent);
    EXPECT_EQ(value.type, RegistryType::String);
    EXPECT_EQ(value.data, std::string(1, '\0'));
    EXPECT_EQ(defaultValue(registry, "AppEvents\\EventLabels\\QW_Alarm").data, withNul("Alarm"));
}

TEST(SoundEventRegistration, WithoutTheSchemeKeyNothingIsCreated) {
    MemoryRegistry registry;
    registerAlarmSound(registry);
    EXPECT_FALSE(registry.open(RegistryRoot::User, "AppEvents", RegistryAccess::Read));
}

TEST_F(SoundEventTest, SecondStartReadsAndWritesNothing) {
    registerAlarmSound(registry);
    setDefault(registry, AlarmCurrent, "C:\\chosen.wav"); // the control panel's choice
    setStandardEvent(registry, "SystemAsterisk");
    const int before = registry.calls();
    registerAlarmSound(registry);
    EXPECT_EQ(registry.calls() - before, 2); // the open of the event key and its close
    EXPECT_EQ(defaultValue(registry, AlarmCurrent).data, withNul("C:\\chosen.wav"));
}

TEST_F(SoundEventTest, StandardEventLabel) {
    StandardSoundEvent event = readStandardSoundEvent(registry);
    EXPECT_EQ(event.label, "Standardsignal");
    EXPECT_EQ(event.event, ".Default");

    setStandardEvent(registry, "SystemAsterisk");
    event = readStandardSoundEvent(registry);
    EXPECT_EQ(event.label, "Sternchen");
    EXPECT_EQ(event.event, "SystemAsterisk");

    for (const char* unlabelled : {"Unlabelled", "NoSuchEvent"}) {
        setStandardEvent(registry, unlabelled);
        event = readStandardSoundEvent(registry);
        EXPECT_EQ(event.label, "undefiniert") << unlabelled;
        EXPECT_EQ(event.event, ".Default") << unlabelled;
    }
}

TEST_F(SoundEventTest, LabelsLongerThan63CharactersAreNotRead) {
    setDefault(registry, "AppEvents\\EventLabels\\Long", std::string(64, 'L'));
    setDefault(registry, "AppEvents\\EventLabels\\Fits", std::string(63, 'F'));
    setStandardEvent(registry, "Long");
    EXPECT_EQ(readStandardSoundEvent(registry).label, "undefiniert");
    setStandardEvent(registry, "Fits");
    EXPECT_EQ(readStandardSoundEvent(registry).label, std::string(63, 'F'));
}

TEST_F(SoundEventTest, StandardEventNamesLongerThan63CharactersFallBack) {
    const std::string tooLong(64, 'N');
    setDefault(registry, "AppEvents\\EventLabels\\" + tooLong, "Lang");
    setStandardEvent(registry, tooLong);
    EXPECT_EQ(readStandardSoundEvent(registry).event, ".Default");
    const std::string fits(63, 'N');
    setDefault(registry, "AppEvents\\EventLabels\\" + fits, "Passt");
    setStandardEvent(registry, fits);
    EXPECT_EQ(readStandardSoundEvent(registry).label, "Passt");
}

TEST_F(SoundEventTest, AlarmSoundFileFallsBackToTheStandardEvent) {
    EXPECT_EQ(readAlarmSoundFile(registry, ".Default"), "C:\\beep-current.wav");
    EXPECT_EQ(readAlarmSoundFile(registry, "SystemAsterisk"), "%SystemRoot%\\media\\chord.wav");
    EXPECT_EQ(readAlarmSoundFile(registry, "."), "");

    setDefault(registry, AlarmCurrent, "");
    EXPECT_EQ(readAlarmSoundFile(registry, ".Default"), "C:\\beep-current.wav");
    setDefault(registry, AlarmCurrent, "C:\\alarm.wav", RegistryType::ExpandString);
    EXPECT_EQ(readAlarmSoundFile(registry, ".Default"), "C:\\alarm.wav");
}

TEST_F(SoundEventTest, RestoreWritesTheKeptFileOnlyWhenItDiffers) {
    registerAlarmSound(registry);
    setDefault(registry, AlarmCurrent, "C:\\new.wav");
    const std::string shown = "C:\\new.wav";

    restoreAlarmSoundFile(registry, "x", &shown);
    restoreAlarmSoundFile(registry, "C:\\new.wav", &shown);
    const std::string tooShort = "a.wa";
    restoreAlarmSoundFile(registry, "C:\\old.wav", &tooShort);
    EXPECT_EQ(defaultValue(registry, AlarmCurrent).data, withNul("C:\\new.wav"));

    restoreAlarmSoundFile(registry, "C:\\old.wav", &shown);
    const RegistryValue restored = defaultValue(registry, AlarmCurrent);
    EXPECT_EQ(restored.type, RegistryType::ExpandString);
    EXPECT_EQ(restored.data, withNul("C:\\old.wav"));

    // Without a shown file the one stored now is compared.
    setDefault(registry, AlarmCurrent, "C:\\other.wav");
    restoreAlarmSoundFile(registry, "C:\\old.wav");
    EXPECT_EQ(defaultValue(registry, AlarmCurrent).data, withNul("C:\\old.wav"));
}

TEST(SoundEventRestore, NothingHappensWithoutTheEvent) {
    MemoryRegistry registry;
    const std::string shown = "C:\\new.wav";
    restoreAlarmSoundFile(registry, "C:\\old.wav", &shown);
    EXPECT_FALSE(registry.open(RegistryRoot::User, AlarmEvent, RegistryAccess::Read));
}

} // namespace
