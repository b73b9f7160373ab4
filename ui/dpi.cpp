// DPI look-ups with run-time fallbacks, and the icons loaded per size.
#include "ui/dpi.h"

#include <map>
#include <memory>
#include <tuple>
#include <type_traits>

namespace {

// Present from Windows 10 1607 on; the program also runs on Windows 7 and 8,
// so both are looked up at run time.
using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiCall = int(WINAPI*)(int, UINT);

template <typename Call> Call user32Function(const char* name) {
    const HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 != nullptr
               ? reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
               : nullptr;
}

int systemDpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen != nullptr) {
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? dpi : BASE_DPI;
}

struct IconDestroyer {
    void operator()(HICON icon) const noexcept { DestroyIcon(icon); }
};
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDestroyer>;

} // namespace

int windowDpi(HWND window) {
    static const auto getDpiForWindow = user32Function<GetDpiForWindowCall>("GetDpiForWindow");
    if (window != nullptr && getDpiForWindow != nullptr) {
        if (const UINT dpi = getDpiForWindow(window); dpi != 0) {
            return static_cast<int>(dpi);
        }
    }
    return systemDpi();
}

int systemMetricForDpi(int index, int dpi) {
    static const auto getSystemMetricsForDpi =
        user32Function<GetSystemMetricsForDpiCall>("GetSystemMetricsForDpi");
    if (getSystemMetricsForDpi != nullptr) {
        return getSystemMetricsForDpi(index, static_cast<UINT>(dpi));
    }
    const int atSystemDpi = GetSystemMetrics(index);
    const int system = systemDpi();
    return dpi == system ? atSystemDpi : MulDiv(atSystemDpi, dpi, system);
}

HICON iconOfSize(HINSTANCE instance, int iconId, int size) {
    // A shared (LR_SHARED) icon comes back at the size of its first load; after a
    // change of the display scale that would be the old size. So each size is
    // loaded once on its own and kept.
    static std::map<std::tuple<HINSTANCE, int, int>, UniqueIcon> loaded;
    UniqueIcon& icon = loaded[{instance, iconId, size}];
    if (!icon) {
        icon.reset(static_cast<HICON>(
            LoadImageA(instance, MAKEINTRESOURCEA(iconId), IMAGE_ICON, size, size, 0)));
    }
    return icon.get();
}

HICON smallIconForDpi(HINSTANCE instance, int iconId, int dpi) {
    return iconOfSize(instance, iconId, systemMetricForDpi(SM_CXSMICON, dpi));
}

HICON largeIconForDpi(HINSTANCE instance, int iconId, int dpi) {
    return iconOfSize(instance, iconId, systemMetricForDpi(SM_CXICON, dpi));
}

void setWindowIcons(HWND window, int iconId, int dpi) {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
    SendMessageA(window, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(smallIconForDpi(instance, iconId, dpi)));
    SendMessageA(window, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(largeIconForDpi(instance, iconId, dpi)));
}
