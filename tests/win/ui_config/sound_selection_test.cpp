// The standard sound dialog and the sound control panel, opened from the
// configuration dialog; the panel is a stand-in process that the test lets end.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/win/ui_config/dialog_fixture.h"
#include "ui/config_dialog_ids.h"

namespace {

using namespace dialog_fixture;

const char* const STANDARD_TITLE = "Quarv Zodora - Standard Sound";
const char* const PANEL_TITLE = "Alarm-Sound \xE4ndern";
const char* const WAIT_TITLE = "hidden dialog";
const char* const OLD_FILE = "C:\\sounds\\old.wav";
const char* const NEW_FILE = "C:\\sounds\\new.wav";

class SoundSelection : public ConfigDialogTest {
  protected:
    void SetUp() override {
        ConfigDialogTest::SetUp();
        program->settings.playsound = true;
        soundEvent("QzMail", "Zz Neue Post");
        soundEvent("QzOther", "Zz Anderer Ton");
        soundEvent("QzNoLabel", std::nullopt);
        soundEvent("QzEmpty", "");
    }
};

std::vector<std::string> entries(HWND list) {
    std::vector<std::string> texts;
    const auto count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[128] = "";
        SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        texts.emplace_back(text);
    }
    return texts;
}

std::string selected(HWND list) {
    const auto index = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) {
        return "(none)";
    }
    char text[128] = "";
    SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

// Opens the standard sound dialog from the configuration dialog.
HWND openStandardSound(HWND dialog) {
    click(dialog, 1038);
    return waitForDialog(STANDARD_TITLE);
}

TEST_F(SoundSelection, TheListOffersLabelledEventsSortedAndSelectsTheStandardOne) {
    writeString(RegistryRoot::Machine, SETTINGS_KEY, "defsoundevent", "QzMail");
    run([&](HWND dialog) {
        const HWND standard = openStandardSound(dialog);
        ASSERT_NE(standard, nullptr);
        const HWND list = GetDlgItem(standard, 1044);
        const std::vector<std::string> texts = entries(list);
        const auto position = [&](const std::string& text) {
            return std::find(texts.begin(), texts.end(), text) - texts.begin();
        };
        EXPECT_LT(position("Zz Anderer Ton"), position("Zz Neue Post"));
        EXPECT_LT(position("Zz Neue Post"), static_cast<long long>(texts.size()));
        EXPECT_EQ(std::count(texts.begin(), texts.end(), ""), 0);
        EXPECT_EQ(std::count(texts.begin(), texts.end(), "QzNoLabel"), 0);
        EXPECT_EQ(selected(list), "Zz Neue Post");

        // Another event, confirmed: the configuration dialog takes it, marked.
        SendMessageA(list, LB_SETCURSEL, position("Zz Anderer Ton"), 0);
        click(standard, IDOK);
        EXPECT_TRUE(waitFor([&] { return !IsWindow(standard); }));
        EXPECT_EQ(itemText(dialog, 1037), "Zz Anderer Ton");
        EXPECT_EQ(itemText(dialog, 1045), "QzOther");
        EXPECT_NE(SendDlgItemMessageA(dialog, 1045, EM_GETMODIFY, 0, 0), 0);
        click(dialog, IDOK);
    });
    RegistryType type = RegistryType::None;
    EXPECT_EQ(readString(RegistryRoot::Machine, SETTINGS_KEY, "defsoundevent", &type), "QzOther");
    EXPECT_EQ(type, RegistryType::String);
}

TEST_F(SoundSelection, APickDroppedWithEitherDialogIsNotStored) {
    writeString(RegistryRoot::Machine, SETTINGS_KEY, "defsoundevent", "QzMail");
    run([&](HWND dialog) {
        HWND standard = openStandardSound(dialog);
        ASSERT_NE(standard, nullptr);
        const HWND list = GetDlgItem(standard, 1044);
        SendMessageA(list, LB_SETCURSEL,
                     SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                  reinterpret_cast<LPARAM>("Zz Anderer Ton")),
                     0);
        click(standard, IDCANCEL);
        EXPECT_TRUE(waitFor([&] { return !IsWindow(standard); }));
        EXPECT_EQ(itemText(dialog, 1037), "Zz Neue Post");
        EXPECT_EQ(itemText(dialog, 1045), "QzMail");

        // Picked and confirmed, but the configuration dialog is cancelled.
        standard = openStandardSound(dialog);
        ASSERT_NE(standard, nullptr);
        SendDlgItemMessageA(standard, 1044, LB_SETCURSEL,
                            SendDlgItemMessageA(standard, 1044, LB_FINDSTRINGEXACT,
                                                static_cast<WPARAM>(-1),
                                                reinterpret_cast<LPARAM>("Zz Anderer Ton")),
                            0);
        click(standard, IDOK);
        EXPECT_TRUE(waitFor([&] { return itemText(dialog, 1045) == "QzOther"; }));
        click(dialog, IDCANCEL);
    });
    EXPECT_EQ(readString(RegistryRoot::Machine, SETTINGS_KEY, "defsoundevent"), "QzMail");
}

TEST_F(SoundSelection, UndefinedStandardEventOpensWithoutSelectionAndOkChangesNothing) {
    writeString(RegistryRoot::Machine, SETTINGS_KEY, "defsoundevent", "QzNoLabel");
    run([&](HWND dialog) {
        EXPECT_EQ(itemText(dialog, 1037), "undefiniert");
        EXPECT_EQ(itemText(dialog, 1045), ".Default");
        const HWND standard = openStandardSound(dialog);
        ASSERT_NE(standard, nullptr);
        EXPECT_EQ(selected(GetDlgItem(standard, 1044)), "(none)");
        click(standard, IDOK);
        EXPECT_TRUE(waitFor([&] { return !IsWindow(standard); }));
        EXPECT_EQ(itemText(dialog, 1037), "undefiniert");
        EXPECT_EQ(itemText(dialog, 1045), ".Default");
        EXPECT_EQ(SendDlgItemMessageA(dialog, 1045, EM_GETMODIFY, 0, 0), 0);
        click(dialog, IDOK);
    });
    EXPECT_EQ(readString(RegistryRoot::Machine, SETTINGS_KEY, "defsoundevent"), "QzNoLabel");
}

// The control panel is replaced by a stand-in that waits for an event of the test.
class ControlPanel : public SoundSelection {
  protected:
    void SetUp() override {
        SoundSelection::SetUp();
        go = CreateEventA(nullptr, TRUE, FALSE, "qz_panel_go");
        ASSERT_NE(go, nullptr);
        char path[MAX_PATH] = "";
        GetModuleFileNameA(nullptr, path, sizeof path);
        panel = path;
        panel = "\"" + panel.substr(0, panel.find_last_of('\\') + 1) + "qz_fake_panel.exe\"";
    }
    void TearDown() override {
        SetEvent(go);
        CloseHandle(go);
        SoundSelection::TearDown();
    }
    // The stand-in sets `file` ("-": leaves the sound alone) once the test lets it go.
    void usePanel(const std::string& file) {
        services.soundControlPanelCommand = (panel + " qz_panel_go " + file);
    }
    static bool panelStarted() {
        const RegistryKey key =
            systemRegistry().open(RegistryRoot::User, TEST_KEY, RegistryAccess::Read);
        std::uint32_t started = 0;
        return key && key.readDword("panel", started) && started == 1;
    }

    // Clicks "Ändern", says Yes, and checks the blocked, unseen wait; then lets the
    // panel end and waits until the configuration dialog is usable again.
    void changeInPanel(HWND dialog) {
        const std::string before = itemText(dialog, 1042);
        click(dialog, 1040);
        const HWND question = waitForDialog(PANEL_TITLE);
        ASSERT_NE(question, nullptr);
        EXPECT_EQ(messageText(question),
                  "Der gew\xFCnschte Alarmsound muss im Systemsteuerungsmodul \"Sounds und "
                  "Audioger\xE4te\" bei \"Quarv Zodora / Alarm\" gesetzt werden.\r\n"
                  "Systemsteuerungsmodul \"Sounds und Audioger\xE4te\" jetzt starten?");
        answer(question, IDYES);
        const HWND wait = waitForHiddenDialog(WAIT_TITLE);
        ASSERT_NE(wait, nullptr);
        EXPECT_TRUE(waitFor([&] { return !IsWindowEnabled(dialog); }));
        EXPECT_TRUE(waitFor(panelStarted));
        EXPECT_EQ(itemText(dialog, 1042), before);
        EXPECT_FALSE(IsWindowVisible(wait));
        EXPECT_TRUE(waitFor([&] { return itemText(wait, 1043) == "0"; }));
        SetEvent(go);
        EXPECT_TRUE(waitFor([&] { return !IsWindow(wait) && IsWindowEnabled(dialog); }));
    }

    HANDLE go = nullptr;
    std::string panel;
};

TEST_F(ControlPanel, CancelPutsBackTheFileThatWasCurrentAtOpening) {
    writeString(RegistryRoot::User, ALARM_CURRENT, "", OLD_FILE);
    usePanel(NEW_FILE);
    run([this](HWND dialog) {
        EXPECT_EQ(itemText(dialog, 1042), OLD_FILE);
        changeInPanel(dialog);
        EXPECT_EQ(itemText(dialog, 1042), NEW_FILE);
        EXPECT_EQ(itemText(dialog, 1046), OLD_FILE);
        click(dialog, IDCANCEL);
    });
    RegistryType type = RegistryType::None;
    EXPECT_EQ(readString(RegistryRoot::User, ALARM_CURRENT, "", &type), OLD_FILE);
    EXPECT_EQ(type, RegistryType::ExpandString);
}

TEST_F(ControlPanel, OkKeepsTheFileSetInThePanel) {
    writeString(RegistryRoot::User, ALARM_CURRENT, "", OLD_FILE);
    usePanel(NEW_FILE);
    run([this](HWND dialog) {
        changeInPanel(dialog);
        EXPECT_EQ(itemText(dialog, 1042), NEW_FILE);
        click(dialog, IDOK);
    });
    EXPECT_EQ(readString(RegistryRoot::User, ALARM_CURRENT), NEW_FILE);
}

TEST_F(ControlPanel, APanelClosedWithoutAChangeLeavesNothingToPutBack) {
    writeString(RegistryRoot::User, ALARM_CURRENT, "", OLD_FILE); // REG_SZ
    usePanel("-");
    run([this](HWND dialog) {
        changeInPanel(dialog);
        EXPECT_EQ(itemText(dialog, 1042), OLD_FILE);
        click(dialog, IDCANCEL);
    });
    // Nothing was written back: the value keeps its kind.
    RegistryType type = RegistryType::None;
    EXPECT_EQ(readString(RegistryRoot::User, ALARM_CURRENT, "", &type), OLD_FILE);
    EXPECT_EQ(type, RegistryType::String);
}

TEST_F(ControlPanel, WithoutAFileAtOpeningCancelKeepsTheNewOne) {
    // The standard event has no sound either: nothing is shown, "x" is kept.
    writeString(RegistryRoot::Machine, SETTINGS_KEY, "defsoundevent", "QzMail");
    usePanel(NEW_FILE);
    run([this](HWND dialog) {
        EXPECT_EQ(itemText(dialog, 1042), "");
        EXPECT_EQ(itemText(dialog, 1046), "x");
        changeInPanel(dialog);
        EXPECT_EQ(itemText(dialog, 1042), NEW_FILE);
        click(dialog, IDCANCEL);
    });
    EXPECT_EQ(readString(RegistryRoot::User, ALARM_CURRENT), NEW_FILE);
}

TEST_F(ControlPanel, AnsweringNoStartsNothing) {
    writeString(RegistryRoot::User, ALARM_CURRENT, "", OLD_FILE);
    usePanel(NEW_FILE);
    run([&](HWND dialog) {
        click(dialog, 1040);
        const HWND question = waitForDialog(PANEL_TITLE);
        ASSERT_NE(question, nullptr);
        answer(question, IDNO);
        EXPECT_TRUE(waitFor([&] { return !IsWindow(question); }));
        // Once the dialog answers again, the click has been handled completely.
        SendMessageA(dialog, WM_NULL, 0, 0);
        EXPECT_EQ(FindWindowA("#32770", WAIT_TITLE), nullptr);
        EXPECT_TRUE(IsWindowEnabled(dialog));
        EXPECT_EQ(itemText(dialog, 1042), OLD_FILE);
        click(dialog, IDOK);
    });
    EXPECT_FALSE(panelStarted());
}

TEST_F(ControlPanel, APanelThatCannotStartIsReported) {
    writeString(RegistryRoot::User, ALARM_CURRENT, "", OLD_FILE);
    services.soundControlPanelCommand = ("C:\\nowhere\\no_such_panel.exe");
    run([&](HWND dialog) {
        click(dialog, 1040);
        const HWND question = waitForDialog(PANEL_TITLE);
        ASSERT_NE(question, nullptr);
        answer(question, IDYES);
        EXPECT_TRUE(waitFor([&] { return !IsWindow(question); }));
        const HWND failure = waitForDialog(PANEL_TITLE);
        ASSERT_NE(failure, nullptr);
        EXPECT_EQ(
            messageText(failure),
            "Sorry!\r\nKann Systemsteuerungsmodul \"Sounds und Audioger\xE4te\" nicht starten");
        answer(failure, IDOK);
        EXPECT_TRUE(waitFor([&] { return !IsWindow(failure); }));
        SendMessageA(dialog, WM_NULL, 0, 0);
        EXPECT_EQ(FindWindowA("#32770", WAIT_TITLE), nullptr);
        EXPECT_EQ(itemText(dialog, 1042), OLD_FILE);
        click(dialog, IDOK);
    });
}

} // namespace
