// Opens the configuration dialog, or one of the windows it leads to, and leaves
// it open, so that a screenshot can show it. Not a test; run it by hand:
//
//   wine explorer /desktop=shot,1024x768 qz_dialog_viewer.exe
//   config|standard|question|refusal|failure|datafolder|folder-picker|folder-refusal
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <thread>

#include "store/account_win32.h"
#include "store/services_win32.h"
#include "tests/support/test_account.h"
#include "tests/support/window_driver.h"
#include "ui/dialogs.h"

namespace {

void seedRegistry() {
    Registry& registry = systemRegistry();
    registry.create(RegistryRoot::Machine, "Software\\QuarvWecker")
        .writeString("defsoundevent", "SystemAsterisk");
    registry.create(RegistryRoot::User, "AppEvents\\Schemes\\Apps\\belvanto\\QW_Alarm\\.Current")
        .writeString("", "C:\\Windows\\Media\\Wecker Läuten.wav");
    const char* const events[][2] = {{".Default", "Standardton"},
                                     {"SystemAsterisk", "Sternchen"},
                                     {"SystemExclamation", "Hinweis"},
                                     {"SystemHand", "Kritischer Abbruch"},
                                     {"MailBeep", "Neue E-Mail-Benachrichtigung"},
                                     {"SystemExit", "Windows beenden"},
                                     {"Minimize", "Minimieren"},
                                     {"Maximize", "Maximieren"},
                                     {"Open", "Programm öffnen"},
                                     {"Close", "Programm schließen"}};
    for (const auto& [key, label] : events) {
        registry.create(RegistryRoot::User,
                        std::string("AppEvents\\Schemes\\Apps\\.Default\\") + key);
        registry.create(RegistryRoot::User, std::string("AppEvents\\EventLabels\\") + key)
            .writeString("", label);
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::string which = argc > 1 ? argv[1] : "config";
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
    seedRegistry();
    Settings settings{true, true, false, false, 5, true, 0, 5, 3, true, false, {}};
    if (which == "datafolder" || which == "folder-refusal") {
        // A folder that a sync service carries to the user's other PCs.
        settings.datafolder = "C:\\users\\Public\\Nextcloud\\Gemeinsame Termine";
    }
    // Settings for all users, which only an administrator may change the folder of.
    settings.userdata = which != "folder-refusal";
    TestAccount account;
    account.login = systemAccount().loginName();
    account.administrator = which != "refusal" && which != "folder-refusal";
    Services services{systemRegistry(), systemFileSystem(), systemClock(), account, {}};
    if (which == "failure") {
        services.soundControlPanelCommand = "C:\\nowhere\\no_such_panel.exe";
    }
    std::thread driver([which] {
        const HWND dialog = waitForDialog("Quarv Zodora - Konfiguration");
        if (dialog == nullptr || which == "config" || which == "datafolder") {
            return;
        }
        const int button = which == "standard" || which == "refusal"               ? 1038
                           : which == "folder-picker" || which == "folder-refusal" ? 1048
                                                                                   : 1040;
        PostMessageA(GetDlgItem(dialog, button), BM_CLICK, 0, 0);
        if (which == "failure") {
            const HWND question = waitForDialog("Alarm-Sound ändern");
            PostMessageA(question, WM_COMMAND, IDYES, 0);
        }
    });
    editSettings(nullptr, settings, services);
    driver.join();
    return 0;
}
