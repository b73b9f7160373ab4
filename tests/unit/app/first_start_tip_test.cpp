// The first start's tip: once per user, remembered in the user's own key.
#include <gtest/gtest.h>

#include <string>

#include "app/first_start_tip.h"
#include "tests/support/memory_registry.h"

namespace {

constexpr const char* KEY = "Software\\QuarvWecker";

TEST(FirstStartTip, ShownOnlyWhenTheUsersValueIsOne) {
    const struct {
        RegistryRoot root;
        RegistryType type;
        std::string data;
        bool shown;
    } cases[] = {
        {RegistryRoot::User, RegistryType::Dword, std::string("\x01\0\0\0", 4), true},
        {RegistryRoot::User, RegistryType::Dword, std::string("\0\0\0\0", 4), false},
        {RegistryRoot::User, RegistryType::Dword, std::string("\x02\0\0\0", 4), false},
        {RegistryRoot::User, RegistryType::Binary, std::string("\x01\0\0\0\0", 5), false},
        // The machine key says nothing about this user, whatever "userdata" is.
        {RegistryRoot::Machine, RegistryType::Dword, std::string("\x01\0\0\0", 4), false},
    };
    for (const auto& c : cases) {
        MemoryRegistry registry;
        EXPECT_FALSE(firstStartTipShown(registry)) << "nothing stored yet";
        registry.create(c.root, KEY).write("tipshown", c.type, c.data);
        EXPECT_EQ(firstStartTipShown(registry), c.shown) << c.data.size();
    }
}

TEST(FirstStartTip, RememberedForTheUserAndFailureReported) {
    MemoryRegistry registry;
    registry.refuseMachineWrites(true); // an ordinary user
    EXPECT_TRUE(rememberFirstStartTip(registry));
    EXPECT_TRUE(firstStartTipShown(registry));
    std::uint32_t value = 0;
    EXPECT_TRUE(
        registry.open(RegistryRoot::User, KEY, RegistryAccess::Read).readDword("tipshown", value));
    EXPECT_EQ(value, 1u);
    EXPECT_EQ(registry.openKeys(), 0);

    MemoryRegistry failing;
    failing.failCall(1);
    EXPECT_FALSE(rememberFirstStartTip(failing));
    EXPECT_FALSE(firstStartTipShown(failing));
}

TEST(FirstStartTip, TextNamesTheWindows11SettingInWindows1252) {
    const std::string text = FIRST_START_TIP_TEXT;
    EXPECT_NE(text.find("Taskleisteneinstellungen \x9B Andere Symbole der Taskleiste"),
              std::string::npos);
    EXPECT_LE(text.size(), 255u); // what the balloon's record holds
    EXPECT_LE(std::string(FIRST_START_TIP_TITLE).size(), 63u);
}

} // namespace
