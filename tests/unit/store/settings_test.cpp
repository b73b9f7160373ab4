// The settings store over the in-memory registry: first starts, defaults, the bool rule,
// and settings that stick when the machine key cannot be written.
#include <gtest/gtest.h>

#include <optional>
#include <tuple>
#include <utility>

#include "tests/support/memory_registry.h"
#include "store/data_folder.h"
#include "store/settings_store.h"

namespace {

constexpr const char* Path = "Software\\QuarvWecker";

const char* const SettingsValues[] = {"alarmend",     "alarmrepeat", "alarmoffset",     "deleteold",
                                      "onafterstart", "onondemand",  "showalarmwindow", "alarmpos",
                                      "playsound",    "repeatsound"};

auto fields(const Settings& s) {
    return std::make_tuple(s.userdata, s.onafterstart, s.onondemand, s.deleteold, s.alarmoffset,
                           s.showalarmwindow, s.alarmend, s.alarmrepeat, s.alarmpos, s.playsound,
                           s.repeatsound, s.datafolder);
}

class SettingsTest : public ::testing::Test {
  protected:
    void setDword(RegistryRoot root, const char* name, std::uint32_t value) {
        ASSERT_TRUE(registry.create(root, Path).writeDword(name, value));
    }
    bool hasValue(RegistryRoot root, const char* name) {
        RegistryValue value;
        const RegistryKey key = registry.open(root, Path, RegistryAccess::Read);
        return key && key.read(name, 1024, value);
    }
    std::uint32_t dword(RegistryRoot root, const char* name) {
        std::uint32_t value = 0xDEADBEEF;
        registry.open(root, Path, RegistryAccess::Read).readDword(name, value);
        return value;
    }
    void expectFreshRecord(const Settings& s) {
        EXPECT_TRUE(s.userdata);
        EXPECT_TRUE(s.onafterstart);
        EXPECT_FALSE(s.onondemand);
        EXPECT_FALSE(s.deleteold);
        EXPECT_EQ(s.alarmoffset, 5);
        EXPECT_TRUE(s.showalarmwindow);
        EXPECT_EQ(s.alarmend, 0);
        EXPECT_EQ(s.alarmrepeat, 5);
        EXPECT_EQ(s.alarmpos, 3);
        EXPECT_FALSE(s.playsound);
        EXPECT_FALSE(s.repeatsound);
    }

    MemoryRegistry registry;
    Settings settings;
};

TEST_F(SettingsTest, FirstStartOfAllCreatesBothKeys) {
    loadSettings(registry, settings);
    expectFreshRecord(settings);
    EXPECT_EQ(dword(RegistryRoot::Machine, "userdata"), 1u);
    EXPECT_FALSE(hasValue(RegistryRoot::Machine, "alarmpos"));
    EXPECT_FALSE(hasValue(RegistryRoot::Machine, "defsoundevent"));
    for (const char* name : SettingsValues) {
        EXPECT_TRUE(hasValue(RegistryRoot::User, name)) << name;
    }
    EXPECT_EQ(dword(RegistryRoot::User, "alarmpos"), 3u);
    EXPECT_EQ(dword(RegistryRoot::User, "onafterstart"), 1u);
    EXPECT_EQ(dword(RegistryRoot::User, "onondemand"), 0u);
    EXPECT_EQ(registry.openKeys(), 0);

    // The next start reads what the first one stored.
    Settings again;
    loadSettings(registry, again);
    expectFreshRecord(again);
}

TEST_F(SettingsTest, StoredValuesAreRegDwords) {
    loadSettings(registry, settings);
    RegistryValue value;
    ASSERT_TRUE(registry.open(RegistryRoot::User, Path, RegistryAccess::Read)
                    .read("alarmoffset", 16, value));
    EXPECT_EQ(value.type, RegistryType::Dword);
    EXPECT_EQ(value.data, std::string("\x05\0\0\0", 4));
}

TEST_F(SettingsTest, UserWithoutMachineRightsKeepsConfirmedSettings) {
    registry.refuseMachineWrites(true);
    loadSettings(registry, settings);
    expectFreshRecord(settings);
    EXPECT_FALSE(registry.open(RegistryRoot::Machine, Path, RegistryAccess::Read));

    // The configuration dialog changes something and saves: it must be there next start.
    settings.alarmoffset = 17;
    settings.playsound = true;
    saveSettings(registry, settings);
    Settings next;
    loadSettings(registry, next);
    EXPECT_TRUE(next.userdata);
    EXPECT_EQ(next.alarmoffset, 17);
    EXPECT_TRUE(next.playsound);
    EXPECT_FALSE(registry.open(RegistryRoot::Machine, Path, RegistryAccess::Read));
}

TEST_F(SettingsTest, UserKeyMissingWithMachineChoiceMakesFreshRecord) {
    setDword(RegistryRoot::Machine, "userdata", 1);
    setDword(RegistryRoot::Machine, "alarmoffset", 42); // not the settings key: ignored
    loadSettings(registry, settings);
    expectFreshRecord(settings);
    EXPECT_EQ(dword(RegistryRoot::User, "alarmoffset"), 5u);
    EXPECT_EQ(dword(RegistryRoot::Machine, "alarmoffset"), 42u);
}

TEST_F(SettingsTest, MachineKeyWithUserdataZeroOnlyGivesMissingValueDefaults) {
    setDword(RegistryRoot::Machine, "userdata", 0);
    const int callsBefore = registry.calls();
    loadSettings(registry, settings);
    EXPECT_FALSE(settings.userdata);
    EXPECT_FALSE(settings.onafterstart);
    EXPECT_EQ(settings.alarmpos, 0);
    EXPECT_TRUE(settings.showalarmwindow);
    EXPECT_EQ(settings.alarmend, 0);
    EXPECT_EQ(settings.alarmrepeat, 5);
    EXPECT_EQ(settings.alarmoffset, 5);
    EXPECT_GT(registry.calls(), callsBefore);
    // Nothing was written.
    EXPECT_FALSE(registry.open(RegistryRoot::User, Path, RegistryAccess::Read));
    EXPECT_FALSE(hasValue(RegistryRoot::Machine, "alarmpos"));
}

TEST_F(SettingsTest, OnlyExactlyOneIsTrue) {
    setDword(RegistryRoot::Machine, "userdata", 2); // false: settings from the machine key
    setDword(RegistryRoot::Machine, "deleteold", 1);
    setDword(RegistryRoot::Machine, "playsound", 2);
    setDword(RegistryRoot::Machine, "repeatsound", 0x101);
    setDword(RegistryRoot::Machine, "showalarmwindow", 0);
    setDword(RegistryRoot::User, "deleteold", 0);
    loadSettings(registry, settings);
    EXPECT_FALSE(settings.userdata);
    EXPECT_TRUE(settings.deleteold);
    EXPECT_FALSE(settings.playsound);
    EXPECT_FALSE(settings.repeatsound);
    EXPECT_FALSE(settings.showalarmwindow);
}

TEST_F(SettingsTest, OnlyTheSettingsKeyCounts) {
    setDword(RegistryRoot::Machine, "userdata", 1);
    setDword(RegistryRoot::Machine, "playsound", 1);
    setDword(RegistryRoot::User, "alarmend", 30);
    loadSettings(registry, settings);
    EXPECT_TRUE(settings.userdata);
    EXPECT_FALSE(settings.playsound);
    EXPECT_EQ(settings.alarmend, 30);
    EXPECT_EQ(settings.alarmpos, 0);
}

TEST_F(SettingsTest, IntegersAreReadWithoutRangeCheck) {
    setDword(RegistryRoot::Machine, "userdata", 0);
    setDword(RegistryRoot::Machine, "alarmpos", 9);
    setDword(RegistryRoot::Machine, "alarmend", 0xFFFFFFFF);
    loadSettings(registry, settings);
    EXPECT_EQ(settings.alarmpos, 9);
    EXPECT_EQ(settings.alarmend, -1);
}

TEST_F(SettingsTest, ValueTooLargeForFourBytesCountsAsMissing) {
    setDword(RegistryRoot::Machine, "userdata", 0);
    RegistryKey key = registry.create(RegistryRoot::Machine, Path);
    key.writeString("alarmoffset", "12345");
    key.writeString("alarmrepeat", "1234");
    key.close();
    loadSettings(registry, settings);
    EXPECT_EQ(settings.alarmoffset, 5);
    EXPECT_EQ(settings.alarmrepeat, 5);
}

TEST_F(SettingsTest, SaveAndLoadGiveTheSameRecord) {
    for (bool userdata : {true, false}) {
        Settings saved;
        saved.userdata = userdata;
        saved.onafterstart = true;
        saved.onondemand = true;
        saved.deleteold = true;
        saved.alarmoffset = 120;
        saved.showalarmwindow = false;
        saved.alarmend = -7;
        saved.alarmrepeat = 15;
        saved.alarmpos = 6;
        saved.playsound = true;
        saved.repeatsound = true;
        saved.datafolder = userdata ? "D:\\Sync\\Termine" : "\\\\server\\Termine";
        saveSettings(registry, saved);
        Settings loaded;
        loadSettings(registry, loaded);
        EXPECT_EQ(fields(saved), fields(loaded)) << "userdata " << userdata;
    }
}

TEST_F(SettingsTest, SwitchingUserdataLeavesTheOtherKeyAlone) {
    Settings mine;
    loadSettings(registry, mine);
    mine.alarmrepeat = 9;
    saveSettings(registry, mine);

    Settings shared = mine;
    shared.userdata = false;
    shared.alarmrepeat = 20;
    saveSettings(registry, shared);
    EXPECT_EQ(dword(RegistryRoot::User, "alarmrepeat"), 9u);
    EXPECT_EQ(dword(RegistryRoot::Machine, "alarmrepeat"), 20u);

    Settings loaded;
    loadSettings(registry, loaded);
    EXPECT_EQ(loaded.alarmrepeat, 20);

    // Switched back: the user's own values come back into use.
    setDword(RegistryRoot::Machine, "userdata", 1);
    loadSettings(registry, loaded);
    EXPECT_EQ(loaded.alarmrepeat, 9);
}

TEST_F(SettingsTest, StandardSoundEventIsWrittenOnlyWhenGiven) {
    Settings s;
    s.userdata = true;
    saveSettings(registry, s);
    EXPECT_FALSE(hasValue(RegistryRoot::Machine, "defsoundevent"));

    const std::string event = "SystemAsterisk";
    saveSettings(registry, s, &event);
    RegistryValue value;
    ASSERT_TRUE(registry.open(RegistryRoot::Machine, Path, RegistryAccess::Read)
                    .read("defsoundevent", 64, value));
    EXPECT_EQ(value.type, RegistryType::String);
    EXPECT_EQ(value.data, std::string("SystemAsterisk\0", 15));
}

// A registry without the value stays as it was; a chosen folder is a REG_SZ, and going
// back to the application-data folder stores it empty.
TEST_F(SettingsTest, DataFolderIsWrittenOnceChosenAndEmptyOnTheWayBack) {
    const auto stored = [&](RegistryRoot root) -> std::optional<RegistryValue> {
        RegistryValue value;
        if (!registry.open(root, Path, RegistryAccess::Read).read("datafolder", 1024, value)) {
            return std::nullopt;
        }
        return value;
    };
    loadSettings(registry, settings);
    EXPECT_EQ(settings.datafolder, "");
    saveSettings(registry, settings);
    EXPECT_FALSE(stored(RegistryRoot::User));

    settings.datafolder = "C:\\Users\\Jörg\\Nextcloud";
    saveSettings(registry, settings);
    ASSERT_TRUE(stored(RegistryRoot::User));
    EXPECT_EQ(stored(RegistryRoot::User)->type, RegistryType::String);
    EXPECT_EQ(stored(RegistryRoot::User)->data, std::string("C:\\Users\\Jörg\\Nextcloud\0", 24));
    Settings loaded;
    loadSettings(registry, loaded);
    EXPECT_EQ(loaded.datafolder, settings.datafolder);

    settings.datafolder.clear();
    saveSettings(registry, settings);
    EXPECT_EQ(stored(RegistryRoot::User)->data, std::string(1, '\0'));
    loadSettings(registry, loaded);
    EXPECT_EQ(loaded.datafolder, "");
    // Stored like the other settings: for all users in the machine key.
    settings.userdata = false;
    settings.datafolder = "D:\\Termine";
    saveSettings(registry, settings);
    EXPECT_EQ(stored(RegistryRoot::Machine)->data, std::string("D:\\Termine\0", 11));
    EXPECT_EQ(stored(RegistryRoot::User)->data, std::string(1, '\0'));
}

// Only a complete path stored as REG_SZ names a folder; anything else means the default.
TEST_F(SettingsTest, DataFolderThatCannotBeUsedMeansTheDefault) {
    setDword(RegistryRoot::Machine, "userdata", 1);
    const std::pair<std::string, RegistryType> unusable[] = {
        {"Termine", RegistryType::String},
        {"C:Termine", RegistryType::String},
        {"%USERPROFILE%\\Termine", RegistryType::ExpandString},
        {"D:\\Termine", RegistryType::ExpandString},
        {"C:\\" + std::string(STORED_DATA_FOLDER_CHARS - 2, 'x'), RegistryType::String},
    };
    for (const auto& [text, type] : unusable) {
        registry.create(RegistryRoot::User, Path).writeString("datafolder", text, type);
        settings.datafolder = "x";
        loadSettings(registry, settings);
        EXPECT_EQ(settings.datafolder, "") << text;
    }
    // A folder chosen before the check left room for every file name (237 characters)
    // stays in use rather than giving way to the default folder.
    const std::string longest = "C:\\" + std::string(234, 'x');
    registry.create(RegistryRoot::User, Path).writeString("datafolder", longest);
    loadSettings(registry, settings);
    EXPECT_EQ(settings.datafolder, longest);
}

TEST_F(SettingsTest, FailedUserKeyLeavesMachineValuesAndRecord) {
    Settings s;
    s.userdata = true;
    s.alarmoffset = 33;
    registry.failCall(4); // create machine key, write userdata, close it, create user key
    saveSettings(registry, s);
    EXPECT_EQ(dword(RegistryRoot::Machine, "userdata"), 1u);
    EXPECT_FALSE(registry.open(RegistryRoot::User, Path, RegistryAccess::Read));
    EXPECT_EQ(s.alarmoffset, 33);
    EXPECT_EQ(registry.openKeys(), 0);
}

TEST_F(SettingsTest, UnreadableUserdataMakesFreshRecord) {
    setDword(RegistryRoot::Machine, "userdata", 0);
    setDword(RegistryRoot::Machine, "alarmpos", 4);
    registry.failCall(2); // open machine key, read userdata
    loadSettings(registry, settings);
    expectFreshRecord(settings);
}

} // namespace
