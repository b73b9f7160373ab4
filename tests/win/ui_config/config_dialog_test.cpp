// The configuration dialog over the real templates and the Wine registry: what
// it shows at opening, what OK stores, the spin ranges, and the administrator guard.
#include <gtest/gtest.h>

#include "tests/win/ui_config/dialog_fixture.h"
#include "ui/config_dialog_ids.h"

namespace {

using namespace dialog_fixture;

using ConfigDialog = ConfigDialogTest;

TEST_F(ConfigDialog, OpensWithTheSettingsAndOkStoresThemAsShown) {
    program->settings = Settings{true, false, true, true, 120, false, 7, 15, 7, false, true, {}};
    writeString(RegistryRoot::Machine, SETTINGS_KEY, "defsoundevent", "QzMail");
    soundEvent("QzMail", "Zz Neue Post");
    writeString(RegistryRoot::User, ALARM_CURRENT, "", "C:\\sounds\\old.wav");

    run([&](HWND dialog) {
        EXPECT_EQ(windowText(dialog), CONFIG_TITLE);
        EXPECT_TRUE(checked(dialog, 1001));
        EXPECT_EQ(itemText(dialog, 1011), "Einstellungen f\xFCr tester");
        EXPECT_EQ(itemText(dialog, 1037), "Zz Neue Post");
        EXPECT_EQ(itemText(dialog, 1045), "QzMail");
        EXPECT_FALSE(enabled(dialog, 1037));
        EXPECT_FALSE(checked(dialog, 1002));
        EXPECT_TRUE(checked(dialog, 1003));
        EXPECT_TRUE(checked(dialog, 1036));
        EXPECT_TRUE(checked(dialog, 1007));
        EXPECT_FALSE(checked(dialog, 1008));
        // The alarm window always opens, whatever the record says.
        EXPECT_FALSE(checked(dialog, 1012));
        EXPECT_FALSE(enabled(dialog, 1012));
        EXPECT_TRUE(checked(dialog, 1013));
        // Numbers outside the spin ranges are shown as stored.
        EXPECT_EQ(itemText(dialog, 1009), "120");
        EXPECT_EQ(itemText(dialog, 1014), "7");
        EXPECT_EQ(itemText(dialog, 1016), "15");
        // Position 7 is unknown: the centre.
        for (const int id : {1020, 1021, 1022, 1023, 1025, 1026}) {
            EXPECT_FALSE(checked(dialog, id)) << id;
        }
        EXPECT_TRUE(checked(dialog, 1024));
        // Without sound its repetition keeps its state but cannot be changed.
        EXPECT_FALSE(checked(dialog, 1039));
        EXPECT_TRUE(checked(dialog, 1041));
        EXPECT_FALSE(enabled(dialog, 1041));
        EXPECT_FALSE(enabled(dialog, 1040));
        EXPECT_EQ(itemText(dialog, 1042), "C:\\sounds\\old.wav");
        EXPECT_FALSE(enabled(dialog, 1042));
        EXPECT_EQ(itemText(dialog, 1046), "C:\\sounds\\old.wav");
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, 1045)));
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, 1046)));
        EXPECT_EQ(SendDlgItemMessageA(dialog, 1045, EM_GETMODIFY, 0, 0), 0);
        click(dialog, IDOK);
    });

    const Settings& s = program->settings;
    EXPECT_EQ(s.alarmpos, 0);
    EXPECT_TRUE(s.showalarmwindow);
    EXPECT_EQ(s.alarmoffset, 120);
    EXPECT_TRUE(s.repeatsound);
    EXPECT_FALSE(s.playsound);

    EXPECT_EQ(readDword(RegistryRoot::Machine, "userdata"), 1u);
    const std::pair<const char*, std::uint32_t> stored[] = {
        {"alarmend", 7},     {"alarmrepeat", 15}, {"alarmoffset", 120},   {"deleteold", 1},
        {"onafterstart", 0}, {"onondemand", 1},   {"showalarmwindow", 1}, {"alarmpos", 0},
        {"playsound", 0},    {"repeatsound", 1},
    };
    for (const auto& [name, value] : stored) {
        EXPECT_EQ(readDword(RegistryRoot::User, name), value) << name;
    }
    // No standard event was picked: the machine's choice stays as it was.
    EXPECT_EQ(readString(RegistryRoot::Machine, SETTINGS_KEY, "defsoundevent"), "QzMail");
}

TEST_F(ConfigDialog, OkReadsEveryControl) {
    program->settings = Settings{false, false, false, false, 0, true, 0, 1, 0, false, false, {}};
    run([&](HWND dialog) {
        EXPECT_EQ(itemText(dialog, 1011), "Einstellungen f\xFCr alle User");
        clickNow(dialog, 1002);
        clickNow(dialog, 1007);
        clickNow(dialog, 1036);
        setItemText(dialog, 1009, "120");
        setItemText(dialog, 1014, "45");
        setItemText(dialog, 1016, ""); // empty: 0
        clickNow(dialog, 1026);
        clickNow(dialog, 1039);
        EXPECT_TRUE(enabled(dialog, 1041));
        EXPECT_TRUE(enabled(dialog, 1040));
        clickNow(dialog, 1041);
        click(dialog, IDOK);
    });

    // "userdata" false: the settings live in the machine key.
    const std::pair<const char*, std::uint32_t> stored[] = {
        {"userdata", 0},  {"alarmend", 45},    {"alarmrepeat", 0}, {"alarmoffset", 120},
        {"deleteold", 1}, {"onafterstart", 1}, {"onondemand", 1},  {"showalarmwindow", 1},
        {"alarmpos", 2},  {"playsound", 1},    {"repeatsound", 1},
    };
    for (const auto& [name, value] : stored) {
        EXPECT_EQ(readDword(RegistryRoot::Machine, name), value) << name;
    }
    EXPECT_FALSE(readDword(RegistryRoot::User, "alarmpos"));
    EXPECT_EQ(program->settings.alarmrepeat, 0);
}

TEST_F(ConfigDialog, EveryPositionButtonStoresItsNumber) {
    const int buttons[] = {1024, 1022, 1026, 1023, 1020, 1025, 1021};
    for (std::int32_t pos = 0; pos <= 6; ++pos) {
        program->settings.alarmpos = 6 - pos; // another one than the one clicked
        run([&](HWND dialog) {
            clickNow(dialog, buttons[pos]);
            for (const int id : buttons) {
                EXPECT_EQ(checked(dialog, id), id == buttons[pos]) << id;
            }
            click(dialog, IDOK);
        });
        EXPECT_EQ(program->settings.alarmpos, pos);
        EXPECT_EQ(readDword(RegistryRoot::User, "alarmpos"), static_cast<std::uint32_t>(pos));
    }
}

TEST_F(ConfigDialog, PlaySoundEnablesRepeatAndTheControlPanelButton) {
    program->settings.repeatsound = true;
    run([&](HWND dialog) {
        clickNow(dialog, 1039);
        EXPECT_TRUE(enabled(dialog, 1041));
        EXPECT_TRUE(enabled(dialog, 1040));
        clickNow(dialog, 1039);
        EXPECT_FALSE(enabled(dialog, 1041));
        EXPECT_FALSE(enabled(dialog, 1040));
        EXPECT_TRUE(checked(dialog, 1041));
        click(dialog, IDOK);
    });
    EXPECT_FALSE(program->settings.playsound);
    EXPECT_TRUE(program->settings.repeatsound);
}

TEST_F(ConfigDialog, TheArrowsMoveWithinTheSpinRanges) {
    program->settings.alarmoffset = 120;
    program->settings.alarmrepeat = 1;
    program->settings.alarmend = 0;
    run([&](HWND dialog) {
        const auto press = [&](int edit, WPARAM key) {
            SendDlgItemMessageA(dialog, edit, WM_KEYDOWN, key, 0);
            SendDlgItemMessageA(dialog, edit, WM_KEYUP, key, 0);
        };
        // 120 lies above the range: the arrows go on from its end.
        press(1009, VK_DOWN);
        EXPECT_EQ(itemText(dialog, 1009), "59");
        press(1009, VK_UP);
        press(1009, VK_UP);
        EXPECT_EQ(itemText(dialog, 1009), "60");
        press(1016, VK_DOWN);
        EXPECT_EQ(itemText(dialog, 1016), "1");
        press(1016, VK_UP);
        EXPECT_EQ(itemText(dialog, 1016), "2");
        press(1014, VK_DOWN);
        EXPECT_EQ(itemText(dialog, 1014), "0");
        click(dialog, IDOK);
    });
    EXPECT_EQ(program->settings.alarmrepeat, 2);
    EXPECT_EQ(program->settings.alarmoffset, 60);
}

TEST_F(ConfigDialog, CancelLeavesTheRecordAndTheRegistryAlone) {
    const Settings before = program->settings;
    run([&](HWND dialog) {
        clickNow(dialog, 1003);
        setItemText(dialog, 1009, "33");
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); // as the Escape key does
    });
    EXPECT_EQ(program->settings.onafterstart, before.onafterstart);
    EXPECT_EQ(program->settings.alarmoffset, before.alarmoffset);
    EXPECT_FALSE(readDword(RegistryRoot::Machine, "userdata"));
    EXPECT_FALSE(readDword(RegistryRoot::User, "alarmoffset"));
}

TEST_F(ConfigDialog, AnAdministratorSwitchesTheUserdataCaption) {
    run([&](HWND dialog) {
        clickNow(dialog, 1001);
        EXPECT_FALSE(checked(dialog, 1001));
        EXPECT_EQ(itemText(dialog, 1011), "Einstellungen f\xFCr alle User");
        account.login.reset(); // a login name that cannot be read
        clickNow(dialog, 1001);
        EXPECT_TRUE(checked(dialog, 1001));
        EXPECT_EQ(itemText(dialog, 1011), "Einstellungen f\xFCr ");
        clickNow(dialog, 1001);
        click(dialog, IDOK);
    });
    EXPECT_FALSE(program->settings.userdata);
    EXPECT_EQ(readDword(RegistryRoot::Machine, "userdata"), 0u);
}

// A user without administrator rights is refused both machine-wide options.
TEST_F(ConfigDialog, WithoutAdministratorRightsBothMachineOptionsAreRefused) {
    writeString(RegistryRoot::Machine, SETTINGS_KEY, "defsoundevent", "QzMail");
    soundEvent("QzMail", "Zz Neue Post");
    for (const bool userdata : {true, false}) {
        program->settings.userdata = userdata;
        account.administrator = false;
        run([&](HWND dialog) {
            const std::string caption = itemText(dialog, 1011);
            click(dialog, 1001);
            const HWND box = waitForDialog("jeder User hat eigene Termine");
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(messageText(box), NO_RIGHTS_TEXT);
            EXPECT_EQ(messageIcon(box), LoadIconA(nullptr, IDI_ERROR));
            answer(box, IDOK);
            EXPECT_TRUE(waitFor([&] { return !IsWindow(box); }));
            EXPECT_EQ(checked(dialog, 1001), userdata);
            EXPECT_EQ(itemText(dialog, 1011), caption);

            click(dialog, 1038);
            const HWND second = waitForDialog("Standard Alarm-Sound");
            ASSERT_NE(second, nullptr);
            EXPECT_EQ(messageText(second), NO_RIGHTS_TEXT);
            EXPECT_EQ(messageIcon(second), LoadIconA(nullptr, IDI_ERROR));
            answer(second, IDOK);
            EXPECT_TRUE(waitFor([&] { return !IsWindow(second); }));
            EXPECT_EQ(FindWindowA("#32770", "Quarv Zodora - Standard Sound"), nullptr);
            EXPECT_EQ(itemText(dialog, 1037), "Zz Neue Post");
            EXPECT_EQ(itemText(dialog, 1045), "QzMail");
            EXPECT_EQ(SendDlgItemMessageA(dialog, 1045, EM_GETMODIFY, 0, 0), 0);
            click(dialog, IDOK);
        });
        EXPECT_EQ(program->settings.userdata, userdata);
        EXPECT_EQ(readDword(RegistryRoot::Machine, "userdata"), userdata ? 1u : 0u);
    }
}

} // namespace
