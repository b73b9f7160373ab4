// The fixture of the configuration dialog tests: a running program with a clean
// registry of the test's own keys, and the dialog opened from its menu.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "res/resource.h"
#include "store/registry.h"
#include "tests/support/program_fixture.h"

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

// The icon of a message box, to tell the error icon from the others.
inline HICON messageIcon(HWND box) {
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            return reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        }
    }
    return nullptr;
}

// A Windows sound event of the test, with its label when one is given.
inline void soundEvent(const std::string& key, const std::optional<std::string>& label) {
    systemRegistry().create(RegistryRoot::User, EVENTS + key);
    if (label) {
        writeString(RegistryRoot::User, LABELS + key, "", *label);
    }
}

class ConfigDialogTest : public ProgramFixture {
  protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        RegDeleteTreeA(HKEY_CURRENT_USER, SETTINGS_KEY);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, SETTINGS_KEY);
        RegDeleteTreeA(HKEY_CURRENT_USER, "AppEvents\\Schemes\\Apps\\belvanto");
        RegDeleteTreeA(HKEY_CURRENT_USER, TEST_KEY);
        for (const char* key : {"QzMail", "QzOther", "QzNoLabel", "QzEmpty"}) {
            RegDeleteTreeA(HKEY_CURRENT_USER, (std::string(EVENTS) + key).c_str());
            RegDeleteTreeA(HKEY_CURRENT_USER, (std::string(LABELS) + key).c_str());
        }
        program->settings = Settings{true, true, false, false, 5, true, 0, 5, 3, false, false, {}};
    }

    // Opens the dialog from the menu, as the user does, and drives it.
    void run(const std::function<void(HWND)>& drive) {
        driveModal(
            CONFIG_TITLE, [this] { program->command(IDM_SETTINGS); }, drive);
    }
};

} // namespace dialog_fixture
