// The Win32 registry, the settings and the sound event on Wine's real registry.
#include <gtest/gtest.h>

#include <windows.h>

#include "store/account_win32.h"
#include "store/services_win32.h"
#include "store/settings_store.h"
#include "store/sound_event.h"
#include "store/win32_handle.h"

namespace {

constexpr const char* TestPath = "Software\\QuarvWeckerStoreTest";

HKEY platformRoot(RegistryRoot root) {
    return root == RegistryRoot::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

void deleteTree(RegistryRoot root, const char* path) {
    RegDeleteTreeA(platformRoot(root), path);
}

// What the platform itself reads back: type and bytes of a value.
RegistryValue platformValue(RegistryRoot root, const std::string& path, const char* name) {
    RegistryValue value;
    HKEY key = nullptr;
    if (RegOpenKeyExA(platformRoot(root), path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return value;
    }
    char data[1024];
    DWORD size = sizeof data;
    DWORD type = REG_NONE;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) ==
        ERROR_SUCCESS) {
        value = RegistryValue{static_cast<RegistryType>(type), std::string(data, size)};
    }
    RegCloseKey(key);
    return value;
}

class Win32RegistryTest : public ::testing::TestWithParam<RegistryRoot> {
  protected:
    void TearDown() override { deleteTree(GetParam(), TestPath); }
    Registry& registry = systemRegistry();
};

TEST_P(Win32RegistryTest, KeysAndValuesOfEveryKind) {
    const RegistryRoot root = GetParam();
    EXPECT_FALSE(registry.open(root, TestPath, RegistryAccess::Read));
    {
        const RegistryKey key = registry.create(root, TestPath);
        ASSERT_TRUE(key);
        EXPECT_TRUE(key.writeDword("zahl", 0xFFFFFFFE));
        EXPECT_TRUE(key.writeString("text", "Gebäude"));
        EXPECT_TRUE(
            key.writeString("", "%SystemRoot%\\media\\ding.wav", RegistryType::ExpandString));
        EXPECT_TRUE(key.create("b\\tief"));
        EXPECT_TRUE(key.create("a"));
    }
    EXPECT_EQ(platformValue(root, TestPath, "zahl").type, RegistryType::Dword);
    EXPECT_EQ(platformValue(root, TestPath, "zahl").data, std::string("\xFE\xFF\xFF\xFF", 4));
    EXPECT_EQ(platformValue(root, TestPath, "text").type, RegistryType::String);
    EXPECT_EQ(platformValue(root, TestPath, "text").data, std::string("Geb\xE4ude\0", 8));

    const RegistryKey key = registry.open(root, TestPath, RegistryAccess::Read);
    ASSERT_TRUE(key);
    std::uint32_t number = 0;
    EXPECT_TRUE(key.readDword("zahl", number));
    EXPECT_EQ(number, 0xFFFFFFFEu);
    std::string text;
    RegistryType type = RegistryType::None;
    EXPECT_TRUE(key.readString("", 259, text, &type));
    EXPECT_EQ(text, "%SystemRoot%\\media\\ding.wav");
    EXPECT_EQ(type, RegistryType::ExpandString);
    EXPECT_TRUE(key.readString("text", 63, text, &type));
    EXPECT_EQ(text, "Gebäude");
    EXPECT_EQ(type, RegistryType::String);

    // Too large for the buffer, or missing: a failure that leaves the old value.
    EXPECT_FALSE(key.readDword("text", number));
    EXPECT_FALSE(key.readString("text", 6, text));
    EXPECT_FALSE(key.readDword("fehlt", number));
    EXPECT_EQ(number, 0xFFFFFFFEu);
    EXPECT_EQ(text, "Gebäude");

    // A key opened for reading cannot be written.
    EXPECT_FALSE(key.writeDword("zahl", 1));

    std::string name;
    EXPECT_TRUE(key.subkeyName(0, name));
    EXPECT_EQ(name, "a");
    EXPECT_TRUE(key.subkeyName(1, name));
    EXPECT_EQ(name, "b");
    EXPECT_FALSE(key.subkeyName(2, name));
    EXPECT_FALSE(key.subkeyName(0, name, 0));
    EXPECT_TRUE(key.open("b\\tief", RegistryAccess::Full));
}

INSTANTIATE_TEST_SUITE_P(BothRoots, Win32RegistryTest,
                         ::testing::Values(RegistryRoot::Machine, RegistryRoot::User));

// The settings keys are the program's own: these tests leave them as they found none.
class Win32SettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        deleteTree(RegistryRoot::Machine, "Software\\QuarvWecker");
        deleteTree(RegistryRoot::User, "Software\\QuarvWecker");
    }
    void TearDown() override { SetUp(); }
};

TEST_F(Win32SettingsTest, FirstStartStoresTheFreshRecord) {
    Settings settings;
    loadSettings(systemRegistry(), settings);
    EXPECT_TRUE(settings.userdata);
    EXPECT_EQ(settings.alarmpos, 3);
    EXPECT_EQ(platformValue(RegistryRoot::Machine, "Software\\QuarvWecker", "userdata").data,
              std::string("\1\0\0\0", 4));
    const RegistryValue onafterstart =
        platformValue(RegistryRoot::User, "Software\\QuarvWecker", "onafterstart");
    EXPECT_EQ(onafterstart.type, RegistryType::Dword);
    EXPECT_EQ(onafterstart.data, std::string("\1\0\0\0", 4));

    settings.alarmoffset = 25;
    const std::string event = "SystemAsterisk";
    saveSettings(systemRegistry(), settings, &event);
    Settings again;
    loadSettings(systemRegistry(), again);
    EXPECT_EQ(again.alarmoffset, 25);
    EXPECT_EQ(platformValue(RegistryRoot::Machine, "Software\\QuarvWecker", "defsoundevent").data,
              std::string("SystemAsterisk\0", 15));
}

TEST(Win32SoundEvent, RegistrationKeepsTheSourceType) {
    const char* beep = "AppEvents\\Schemes\\Apps\\.Default\\.Default\\.Default";
    const RegistryValue saved = platformValue(RegistryRoot::User, beep, "");
    deleteTree(RegistryRoot::User, "AppEvents\\Schemes\\Apps\\belvanto");
    deleteTree(RegistryRoot::User, "AppEvents\\EventLabels\\QW_Alarm");
    {
        const RegistryKey key = systemRegistry().create(RegistryRoot::User, beep);
        ASSERT_TRUE(
            key.writeString("", "%SystemRoot%\\media\\ding.wav", RegistryType::ExpandString));
        ASSERT_TRUE(systemRegistry().create(RegistryRoot::User, "AppEvents\\EventLabels"));
    }

    registerAlarmSound(systemRegistry());
    const RegistryValue current = platformValue(
        RegistryRoot::User, "AppEvents\\Schemes\\Apps\\belvanto\\QW_Alarm\\.Current", "");
    EXPECT_EQ(current.type, RegistryType::ExpandString);
    EXPECT_EQ(current.data, std::string("%SystemRoot%\\media\\ding.wav\0", 28));
    EXPECT_EQ(platformValue(RegistryRoot::User, "AppEvents\\Schemes\\Apps\\belvanto", "").data,
              std::string("Quarv Zodora\0", 13));
    EXPECT_EQ(platformValue(RegistryRoot::User, "AppEvents\\EventLabels\\QW_Alarm", "").data,
              std::string("Alarm\0", 6));
    EXPECT_EQ(readAlarmSoundFile(systemRegistry()), "%SystemRoot%\\media\\ding.wav");

    const std::string shown = "C:\\anders.wav";
    restoreAlarmSoundFile(systemRegistry(), "C:\\vorher.wav", &shown);
    EXPECT_EQ(readAlarmSoundFile(systemRegistry()), "C:\\vorher.wav");

    if (saved.type != RegistryType::None) {
        systemRegistry().create(RegistryRoot::User, beep).write("", saved.type, saved.data);
    }
}

TEST(Win32Administrator, DenyOnlyAdministratorsDoNotCount) {
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(),
                                 TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY, &token));
    const UniqueHandle process(token);
    // Wine runs every program as an administrator.
    EXPECT_TRUE(tokenHasEnabledAdministrators(process.get()));
    EXPECT_TRUE(systemAccount().isAdministrator());

    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    ASSERT_TRUE(AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                         DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                         &administrators));
    SID_AND_ATTRIBUTES disable{administrators, 0};
    HANDLE restricted = nullptr;
    const BOOL made =
        CreateRestrictedToken(process.get(), 0, 1, &disable, 0, nullptr, 0, nullptr, &restricted);
    FreeSid(administrators);
    ASSERT_TRUE(made);
    const UniqueHandle limited(restricted);
    EXPECT_FALSE(tokenHasEnabledAdministrators(limited.get()));
}

TEST(Win32Account, LoginNameIsTheSystems) {
    char name[257] = {};
    DWORD size = sizeof name;
    ASSERT_TRUE(GetUserNameA(name, &size));
    EXPECT_EQ(systemAccount().loginName(), std::string(name));
}

} // namespace
