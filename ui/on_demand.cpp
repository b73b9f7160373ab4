// System libraries loaded when first needed: the common controls and the sound.
#include "ui/on_demand.h"

#include <commctrl.h>

#include <string>

HMODULE systemLibrary(const char* name) {
    std::string path(MAX_PATH, '\0');
    const UINT length = GetSystemDirectoryA(path.data(), MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return nullptr;
    }
    path.resize(length);
    return LoadLibraryA((path + "\\" + name).c_str());
}

// The libraries stay loaded for the rest of the run: the registered classes and
// a sound still playing live in them.
bool loadCommonControls() {
    using InitCall = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    static const bool loaded = [] {
        // By name, not by path: the version that the manifest names (6, with the
        // system's visual styles) is found only so.
        const auto init =
            functionOf<InitCall>(LoadLibraryA("comctl32.dll"), "InitCommonControlsEx");
        const INITCOMMONCONTROLSEX controls{
            sizeof controls, ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS | ICC_DATE_CLASSES};
        return init != nullptr && init(&controls) != FALSE;
    }();
    return loaded;
}

BOOL WINAPI playSoundOnDemand(LPCSTR sound, HMODULE module, DWORD flags) {
    using PlaySoundCall = BOOL(WINAPI*)(LPCSTR, HMODULE, DWORD);
    static const auto playSound =
        functionOf<PlaySoundCall>(systemLibrary("winmm.dll"), "PlaySoundA");
    return playSound != nullptr ? playSound(sound, module, flags) : FALSE;
}
