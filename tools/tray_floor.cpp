// The platform's floor for start-up: a hidden window that adds one tray icon and
// waits to be closed, nothing else.
#include <windows.h>
#include <shellapi.h>

namespace {

LRESULT CALLBACK floorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = floorProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "qz_tray_floor";
    RegisterClassExA(&windowClass);
    HWND window = CreateWindowExA(0, "qz_tray_floor", "floor", 0, 0, 0, 0, 0, nullptr, nullptr,
                                  instance, nullptr);

    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = window;
    data.uID = 111;
    data.uFlags = NIF_ICON | NIF_TIP;
    data.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    lstrcpyA(data.szTip, "floor");
    Shell_NotifyIconA(NIM_ADD, &data);

    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        DispatchMessageA(&message);
    }
    Shell_NotifyIconA(NIM_DELETE, &data);
    return 0;
}
