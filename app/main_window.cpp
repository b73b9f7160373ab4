// The hidden main window: its class, and its procedure handing each message to
// the program that made the window.
#include "app/main_window.h"

#include "app/program.h"
#include "core/no_throw.h"
#include "res/resource.h"
#include "ui/dpi.h"

namespace {

// Sent to every top-level window when the taskbar is (re-)created.
const UINT TASKBAR_CREATED_MESSAGE = RegisterWindowMessageA("TaskbarCreated");

// The program of a main window: set when the window is created.
Program* programOf(HWND window) {
    return reinterpret_cast<Program*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

LRESULT handleMessage(Program& program, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (wParam == FILE_TIMER_ID) {
            program.followFile();
            return 1;
        }
        // A tick already queued when the alarm was switched off must not switch it on again.
        if (alarmIsOn(program.alarmTimer)) {
            program.tick();
        }
        return 1;
    case MSG_SHOW_MISSED:
        program.showPendingMissed();
        return 1;
    case MSG_CATCH_UP:
        program.catchUp();
        return 1;
    case WM_COMMAND:
        if (program.command(LOWORD(wParam))) {
            return 1;
        }
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 1;
    case MSG_TRAY_NOTIFY:
        if (program.tray) {
            program.tray->onNotification(wParam, lParam);
        }
        return 1;
    case MSG_TRAY_MENU:
        program.prepareMenu(reinterpret_cast<HMENU>(lParam));
        return 1;
    case WM_POWERBROADCAST:
        // After sleep, every appointment that fell due meanwhile alarms at once.
        if (wParam == PBT_APMRESUMEAUTOMATIC) {
            PostMessageA(window, MSG_CATCH_UP, 0, 0);
        }
        return TRUE;
    case WM_TIMECHANGE:
        PostMessageA(window, MSG_CATCH_UP, 0, 0);
        return 0;
    // A new display scale, a new display, new icon metrics or a new taskbar: the
    // tray icon is loaded again at the small-icon size that now applies.
    case WM_DPICHANGED:
        program.reloadTrayIcon(LOWORD(wParam));
        return 0;
    case WM_DISPLAYCHANGE:
    case WM_SETTINGCHANGE:
        program.reloadTrayIcon(windowDpi(window));
        break;
    case WM_ENDSESSION:
        // The session ends without the message loop coming back: save now.
        if (wParam != 0) {
            program.saveBook();
        }
        return 0;
    default:
        if (message == TASKBAR_CREATED_MESSAGE) {
            program.reloadTrayIcon(windowDpi(window));
            return 0;
        }
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    Program* const program = programOf(window);
    if (program == nullptr) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    return noThrow<LRESULT>(
        0, [&] { return handleMessage(*program, window, message, wParam, lParam); });
}

} // namespace

bool registerMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PROGRAM));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszMenuName = MAKEINTRESOURCEA(IDM_TRAY);
    windowClass.lpszClassName = MAIN_WINDOW_CLASS;
    return RegisterClassExA(&windowClass) != 0;
}

HWND createMainWindow(HINSTANCE instance, Program& program) {
    const HWND window =
        CreateWindowExA(0, MAIN_WINDOW_CLASS, PROGRAM_TITLE, WS_DISABLED, CW_USEDEFAULT, 0,
                        CW_USEDEFAULT, 0, nullptr, nullptr, instance, &program);
    // Started as administrator, the window would not hear the taskbar's return.
    ChangeWindowMessageFilterEx(window, TASKBAR_CREATED_MESSAGE, MSGFLT_ALLOW, nullptr);
    return window;
}

void forgetProgram(HWND window, const Program& program) {
    if (window != nullptr && programOf(window) == &program) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    }
}
