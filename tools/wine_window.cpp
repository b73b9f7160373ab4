// A small Windows helper for scripts/screenshot-dialogs: waits for a window of
// the program and prints where it is, or posts a message to one.
//
//   wine_window.exe wait TITLE [TEXT]     waits up to 60 s for a visible top-level
//                                         window with that title (and a child
//                                         window showing TEXT, when given);
//                                         prints "x y width height"
//   wine_window.exe wait-class CLASS      the same for a window class ("#32768": a menu)
//   wine_window.exe gone TITLE            waits up to 60 s until no visible window
//                                         has that title
//   wine_window.exe post TITLE|CLASS MSG WPARAM LPARAM
//                                         posts a message to the window with that
//                                         title, or else of that class
//
// Titles come in as wide strings, so "über Quarv Zodora" matches whatever the
// console's code page is. Exit code 0 on success, 1 when nothing was found.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

struct Search {
    const wchar_t* title = nullptr;
    const wchar_t* className = nullptr;
    const wchar_t* childText = nullptr;
    bool visibleOnly = true;
    HWND found = nullptr;
};

std::wstring textOf(HWND window) {
    wchar_t buffer[1024] = L"";
    GetWindowTextW(window, buffer, 1024);
    return buffer;
}

BOOL CALLBACK findChildText(HWND child, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    if (IsWindowVisible(child) && textOf(child).find(search->childText) != std::wstring::npos) {
        search->found = child;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK findTopLevel(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    if (search->visibleOnly && !IsWindowVisible(window)) {
        return TRUE;
    }
    if (search->title != nullptr && textOf(window) != search->title) {
        return TRUE;
    }
    if (search->className != nullptr) {
        wchar_t name[256] = L"";
        GetClassNameW(window, name, 256);
        if (std::wcscmp(name, search->className) != 0) {
            return TRUE;
        }
    }
    if (search->childText != nullptr) {
        Search inner = *search;
        inner.found = nullptr;
        EnumChildWindows(window, findChildText, reinterpret_cast<LPARAM>(&inner));
        if (inner.found == nullptr) {
            return TRUE;
        }
    }
    search->found = window;
    return FALSE;
}

HWND find(Search search) {
    EnumWindows(findTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int waitFor(const Search& search) {
    for (int i = 0; i < 600; ++i) {
        if (const HWND window = find(search)) {
            RECT r{};
            GetWindowRect(window, &r);
            std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
            return 0;
        }
        Sleep(100);
    }
    std::fprintf(stderr, "wine-window: no such window\n");
    return 1;
}

int waitUntilGone(const Search& search) {
    for (int i = 0; i < 600; ++i) {
        if (find(search) == nullptr) {
            return 0;
        }
        Sleep(100);
    }
    std::fprintf(stderr, "wine-window: the window stays\n");
    return 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"wait" && (argc == 3 || argc == 4)) {
        return waitFor({.title = argv[2], .childText = argc == 4 ? argv[3] : nullptr});
    }
    if (command == L"wait-class" && argc == 3) {
        return waitFor({.className = argv[2]});
    }
    if (command == L"gone" && argc == 3) {
        return waitUntilGone({.title = argv[2]});
    }
    if (command == L"post" && argc == 6) {
        HWND window = find({.title = argv[2], .visibleOnly = false});
        if (window == nullptr) {
            window = find({.className = argv[2], .visibleOnly = false});
        }
        if (window == nullptr) {
            std::fprintf(stderr, "wine-window: no such window\n");
            return 1;
        }
        const auto number = [](const wchar_t* text) { return std::wcstoull(text, nullptr, 0); };
        PostMessageW(window, static_cast<UINT>(number(argv[3])), number(argv[4]),
                     static_cast<LPARAM>(number(argv[5])));
        return 0;
    }
    std::fprintf(stderr,
                 "usage: wine_window.exe wait TITLE [TEXT] | wait-class CLASS | gone TITLE | "
                 "post TITLE|CLASS MSG WPARAM LPARAM\n");
    return 2;
}
