// The row of the appointment file's folder in the configuration dialog: the default
// folder shown, a folder chosen in the system's picker, refused or stored at OK, the
// way back to the default, and the book joining the file in the new folder.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <filesystem>

#include "tests/support/appointment_xml.h"
#include "tests/win/ui_config/dialog_fixture.h"
#include "ui/config_dialog_ids.h"

namespace {

using namespace dialog_fixture;

const char* const CHOSEN = "C:\\QzTermine";

std::string shellFolder(int id) {
    char folder[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, id, nullptr, 0, folder);
    return folder;
}

// Picker's tree items.
HTREEITEM treeItem(HWND tree, HTREEITEM from, UINT which) {
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(tree, TVM_GETNEXTITEM, which, reinterpret_cast<LPARAM>(from)));
}

std::string itemName(HWND tree, HTREEITEM item) {
    char name[MAX_PATH] = {};
    TVITEMA data{};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = name;
    data.cchTextMax = sizeof name;
    return SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data)) ? name : "";
}

// The child whose name fits, the folder expanded first to show its children.
HTREEITEM childNamed(HWND tree, HTREEITEM parent, const std::function<bool(std::string)>& fits) {
    SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent));
    for (HTREEITEM child = treeItem(tree, parent, TVGN_CHILD); child != nullptr;
         child = treeItem(tree, child, TVGN_NEXT)) {
        if (fits(itemName(tree, child))) {
            return child;
        }
    }
    return nullptr;
}

// Selects a folder in the picker's tree as clicks would: its drive ("... (C:)") below
// the computer, then folder after folder. (The picker's own BFFM_SETSELECTION compares
// item ids with dates in them, and misses a folder now and then under Wine.)
bool selectInPicker(HWND picker, const std::string& folder) {
    const HWND tree = FindWindowExA(picker, nullptr, WC_TREEVIEWA, nullptr);
    const std::string drive = "(" + folder.substr(0, 2) + ")";
    HTREEITEM item = nullptr;
    for (HTREEITEM place = treeItem(tree, treeItem(tree, nullptr, TVGN_ROOT), TVGN_CHILD);
         place != nullptr && item == nullptr; place = treeItem(tree, place, TVGN_NEXT)) {
        item =
            childNamed(tree, place, [&](const std::string& name) { return name.ends_with(drive); });
    }
    for (std::size_t start = 3; item != nullptr && start < folder.size();) {
        const std::size_t end = std::min(folder.find('\\', start), folder.size());
        const std::string part = folder.substr(start, end - start);
        item = childNamed(tree, item, [&](const std::string& name) {
            return lstrcmpiA(name.c_str(), part.c_str()) == 0;
        });
        start = end + 1;
    }
    return item != nullptr &&
           SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

class DataFolderRow : public ConfigDialogTest {
  protected:
    void SetUp() override {
        ConfigDialogTest::SetUp();
        std::filesystem::remove_all(CHOSEN);
        ASSERT_TRUE(CreateDirectoryA(CHOSEN, nullptr));
    }
    void TearDown() override {
        ConfigDialogTest::TearDown();
        std::filesystem::remove_all(CHOSEN);
    }

    // "Ändern" and the folder chosen in the system's picker, as the user does.
    static void choose(HWND dialog, const std::string& folder) {
        click(dialog, IDC_CFG_DATA_FOLDER_CHANGE);
        HWND picker = nullptr;
        ASSERT_TRUE(waitFor([&] {
            picker = GetLastActivePopup(dialog);
            return picker != dialog && IsWindowVisible(picker);
        }));
        ASSERT_TRUE(selectInPicker(picker, folder)) << folder;
        click(picker, IDOK);
        ASSERT_TRUE(waitFor([&] { return !IsWindow(picker); }));
    }

    // The refusal of a folder: its text, the error icon, the dialog as its owner.
    static void expectRefusal(HWND dialog, const std::string& text) {
        const HWND box = waitForDialog("Termindatei");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(messageText(box), text);
        EXPECT_EQ(GetWindow(box, GW_OWNER), dialog);
        EXPECT_EQ(messageIcon(box), LoadIconA(nullptr, IDI_ERROR));
        answer(box, IDOK);
        EXPECT_TRUE(waitFor([&] { return !IsWindow(box); }));
    }
};

TEST_F(DataFolderRow, ShowsTheDefaultFolderThatTheUserdataBoxChooses) {
    run([&](HWND dialog) {
        EXPECT_EQ(itemText(dialog, IDC_CFG_DATA_FOLDER), shellFolder(CSIDL_APPDATA));
        EXPECT_FALSE(enabled(dialog, IDC_CFG_DATA_FOLDER_DEFAULT));
        clickNow(dialog, IDC_CFG_USERDATA);
        EXPECT_EQ(itemText(dialog, IDC_CFG_DATA_FOLDER), shellFolder(CSIDL_COMMON_APPDATA));
        click(dialog, IDOK);
    });
    // No folder was chosen: the registry does not get the value.
    EXPECT_EQ(program->settings.datafolder, "");
    EXPECT_FALSE(readString(RegistryRoot::Machine, SETTINGS_KEY, "datafolder"));
    EXPECT_FALSE(readString(RegistryRoot::User, SETTINGS_KEY, "datafolder"));
}

// The book joins what the file in the new folder holds; the old file stays as it was.
// A user's own folder takes no administrator rights.
TEST_F(DataFolderRow, AChosenFolderIsStoredAtOkAndTheBookJoinsItsFile) {
    account.administrator = false;
    const TimeValue day = thisMinute() + 86400;
    program->book.insert(day, "Zahnarzt");
    program->saveBook();
    const std::string oldFile = appointmentFile();
    const std::string oldText = readWholeFile(oldFile);
    ASSERT_TRUE(writeWholeFile(std::string(CHOSEN) + "\\quarvwecker.xml",
                               appointmentXml({{"vom Laptop", day + 60}})));

    run([&](HWND dialog) {
        choose(dialog, CHOSEN);
        EXPECT_EQ(itemText(dialog, IDC_CFG_DATA_FOLDER), CHOSEN);
        EXPECT_TRUE(enabled(dialog, IDC_CFG_DATA_FOLDER_DEFAULT));
        click(dialog, IDOK);
    });
    EXPECT_EQ(program->settings.datafolder, CHOSEN);
    RegistryType type = RegistryType::None;
    EXPECT_EQ(readString(RegistryRoot::User, SETTINGS_KEY, "datafolder", &type), CHOSEN);
    EXPECT_EQ(type, RegistryType::String);
    EXPECT_EQ(program->appointmentFilePath(), std::string(CHOSEN) + "\\quarvwecker.xml");
    EXPECT_EQ(plainForm(readWholeFile(program->appointmentFilePath())),
              appointmentXml({{"Zahnarzt", day}, {"vom Laptop", day + 60}}));
    EXPECT_EQ(readWholeFile(oldFile), oldText);
}

TEST_F(DataFolderRow, StandardGoesBackToTheDefaultFolder) {
    program->settings.datafolder = CHOSEN;
    writeString(RegistryRoot::User, SETTINGS_KEY, "datafolder", CHOSEN);
    run([&](HWND dialog) {
        EXPECT_EQ(itemText(dialog, IDC_CFG_DATA_FOLDER), CHOSEN);
        clickNow(dialog, IDC_CFG_DATA_FOLDER_DEFAULT);
        EXPECT_EQ(itemText(dialog, IDC_CFG_DATA_FOLDER), shellFolder(CSIDL_APPDATA));
        EXPECT_FALSE(enabled(dialog, IDC_CFG_DATA_FOLDER_DEFAULT));
        click(dialog, IDOK);
    });
    EXPECT_EQ(program->settings.datafolder, "");
    EXPECT_EQ(readString(RegistryRoot::User, SETTINGS_KEY, "datafolder"), "");
    EXPECT_EQ(program->appointmentFilePath(), shellFolder(CSIDL_APPDATA) + "\\quarvwecker.xml");
}

// A folder that cannot take a file (here a folder is in the way of the probe file), or
// whose name leaves no room for the file's names, is refused; the setting stays as it was.
TEST_F(DataFolderRow, AFolderThatCannotHoldTheFileIsRefused) {
    const std::string probe = std::string(CHOSEN) + "\\quarvwecker.xml.probe.tmp";
    ASSERT_TRUE(CreateDirectoryA(probe.c_str(), nullptr));
    // 234 characters, one more than leaves room for "\quarvwecker.xml.bad99.tmp", the
    // temporary file of the last copy of a damaged file kept aside.
    const std::string deep = std::string(CHOSEN) + "\\" + std::string(112, 'a');
    const std::string deeper = deep + "\\" + std::string(108, 'b');
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(deeper.c_str(), nullptr));
    ASSERT_EQ(deeper.size(), 234u);
    run([&](HWND dialog) {
        choose(dialog, CHOSEN);
        expectRefusal(dialog, std::string("Sorry!\r\nIn diesem Ordner kann die Termindatei nicht "
                                          "gespeichert werden:\r\n") +
                                  CHOSEN);
        EXPECT_EQ(itemText(dialog, IDC_CFG_DATA_FOLDER), shellFolder(CSIDL_APPDATA));

        choose(dialog, deeper);
        expectRefusal(dialog,
                      "Sorry!\r\nDer Name dieses Ordners ist zu lang f\xFCr die Termindatei:\r\n" +
                          deeper);
        EXPECT_EQ(itemText(dialog, IDC_CFG_DATA_FOLDER), shellFolder(CSIDL_APPDATA));
        EXPECT_FALSE(enabled(dialog, IDC_CFG_DATA_FOLDER_DEFAULT));
        click(dialog, IDOK);
    });
    EXPECT_EQ(program->settings.datafolder, "");
    EXPECT_FALSE(readString(RegistryRoot::User, SETTINGS_KEY, "datafolder"));
}

// With settings for all users, the folder is stored for the whole machine: without
// administrator rights "Ändern" and "Standard" are refused, and the folder that the
// settings for all users name stays, also through OK.
TEST_F(DataFolderRow, AFolderForAllUsersIsNotChangedWithoutAdministratorRights) {
    program->settings.userdata = false;
    program->settings.datafolder = CHOSEN;
    writeString(RegistryRoot::Machine, SETTINGS_KEY, "datafolder", CHOSEN);
    account.administrator = false;
    run([&](HWND dialog) {
        for (const int button : {IDC_CFG_DATA_FOLDER_CHANGE, IDC_CFG_DATA_FOLDER_DEFAULT}) {
            click(dialog, button);
            expectRefusal(dialog, NO_RIGHTS_TEXT);
            EXPECT_EQ(GetLastActivePopup(dialog), dialog) << "no folder picker";
            EXPECT_EQ(itemText(dialog, IDC_CFG_DATA_FOLDER), CHOSEN);
        }
        click(dialog, IDOK);
    });
    EXPECT_EQ(program->settings.datafolder, CHOSEN);
    EXPECT_EQ(readString(RegistryRoot::Machine, SETTINGS_KEY, "datafolder"), CHOSEN);
    program->saveBook();
    EXPECT_EQ(program->appointmentFilePath(), std::string(CHOSEN) + "\\quarvwecker.xml");
}

} // namespace
