// The fixture of the configuration dialog tests: a clean registry of the test's
// own keys, the settings record, and the seams for the administrator test, the
// login name and the control panel.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>

#include "app/program.h"
#include "store/registry.h"
#include "store/settings.h"
#include "ui/config_dialog.h"
#include "ui/dialogs.h"
#include "ui/sound_selection.h"

namespace dialog_fixture {

inline const char* const SETTINGS_KEY = "Software\\QuarvWecker";
inline const char* const ALARM_CURRENT = "AppEvents\\Schemes\\Apps\\belvanto\\QW_Alarm\\.Current";
inline const char* const EVENTS = "AppEvents\\Schemes\\Apps\\.Default\\";
inline const char* const LABELS = "AppEvents\\EventLabels\\";
// Test events are named Qz...; the marker key of the stand-in control panel.
inline const char* const TEST_KEY = "Software\\QzTest";
inline const char* const CONFIG_TITLE = "Quarv Zodora - Konfiguration";
inline const char* const NO_RIGHTS_TEXT =
    "Sorry!\r\nKeine ausreichenden Rechte.\r\nUm diese Option zu \xE4ndern, sind "
    "Administrationsrechte erforderlich.";

inline std::optional<std::string> readString(RegistryRoot root, const std::string& path,
                                             const std::string& name = "",
                                             RegistryType* type = nullptr) {
    const RegistryKey key = systemRegistry().open(root, path, RegistryAccess::Read);
    std::string text;
    if (!key || !key.readString(name, 300, text, type)) {
        return std::nullopt;
    }
    return text;
}

inline std::optional<std::uint32_t> readDword(RegistryRoot root, const std::string& name) {
    const RegistryKey key = systemRegistry().open(root, SETTINGS_KEY, RegistryAccess::Read);
    std::uint32_t value = 0;
    if (!key || !key.readDword(name, value)) {
        return std::nullopt;
    }
    return value;
}

inline void writeString(RegistryRoot root, const std::string& path, const std::string& name,
                        const std::string& text, RegistryType type = RegistryType::String) {
    ASSERT_TRUE(systemRegistry().create(root, path).writeString(name, text, type)) << path;
}

// A Windows sound event of the test, with its label when one is given.
inline void soundEvent(const std::string& key, const std::optional<std::string>& label) {
    systemRegistry().create(RegistryRoot::User, EVENTS + key);
    if (label) {
        writeString(RegistryRoot::User, LABELS + key, "", *label);
    }
}

class ConfigDialogTest : public ::testing::Test {
  protected:
    static inline bool administrator = true;
    static inline std::optional<std::string> loginName = "tester";

    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_UPDOWN_CLASS};
        InitCommonControlsEx(&controls);
        program::setInstance(GetModuleHandleA(nullptr));

        RegDeleteTreeA(HKEY_CURRENT_USER, SETTINGS_KEY);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, SETTINGS_KEY);
        RegDeleteTreeA(HKEY_CURRENT_USER, "AppEvents\\Schemes\\Apps\\belvanto");
        RegDeleteTreeA(HKEY_CURRENT_USER, TEST_KEY);
        for (const char* key : {"QzMail", "QzOther", "QzNoLabel", "QzEmpty"}) {
            RegDeleteTreeA(HKEY_CURRENT_USER, (std::string(EVENTS) + key).c_str());
            RegDeleteTreeA(HKEY_CURRENT_USER, (std::string(LABELS) + key).c_str());
        }

        administrator = true;
        loginName = "tester";
        previousTest = setAdministratorTest([] { return administrator; });
        previousQuery = setLoginNameQuery([] { return loginName; });
        program::settings() = Settings{true, true, false, false, 5, true, 0, 5, 3, false, false};
    }

    void TearDown() override {
        setAdministratorTest(previousTest);
        setLoginNameQuery(previousQuery);
        setSoundControlPanelCommand("");
    }

    AdministratorTest previousTest = nullptr;
    LoginNameQuery previousQuery = nullptr;
};

} // namespace dialog_fixture
