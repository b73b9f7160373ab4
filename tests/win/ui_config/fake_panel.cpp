// Stands in for the sound control panel in the tests: marks that it started,
// waits until the test lets it go, and then sets the alarm's sound file as a
// user would (or leaves it, for "-").
//
//   qz_fake_panel.exe EVENT FILE
#include <windows.h>

#include <cstdlib>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc != 3) {
        return 2;
    }
    HKEY marker = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\QzTest", 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &marker, nullptr) == ERROR_SUCCESS) {
        const DWORD started = 1;
        RegSetValueExA(marker, "panel", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&started),
                       sizeof started);
        RegCloseKey(marker);
    }

    HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, __argv[1]);
    if (go == nullptr) {
        return 3;
    }
    WaitForSingleObject(go, 120000);
    CloseHandle(go);

    const char* file = __argv[2];
    if (std::strcmp(file, "-") != 0) {
        HKEY current = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER,
                            "AppEvents\\Schemes\\Apps\\belvanto\\QW_Alarm\\.Current", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &current, nullptr) == ERROR_SUCCESS) {
            RegSetValueExA(current, nullptr, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(file),
                           static_cast<DWORD>(std::strlen(file) + 1));
            RegCloseKey(current);
        }
    }
    return 0;
}
