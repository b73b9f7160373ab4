// Decisions of the configuration dialog and its sound selection that need no
// window: position buttons, captions, the standard sound list, the control panel.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class Registry;

// --- Configuration dialog ---------------------------------------------------

// The position buttons in the order OK reads them; the n-th one means alarmpos n + 1.
extern const std::array<int, 6> POSITION_BUTTONS;

// The button that shows alarmpos (the centre for 0 and every unknown value).
int positionButton(std::int32_t alarmpos);

// The alarmpos of the first checked button in OK's order, 0 when none is checked.
template <class IsChecked> std::int32_t positionFromButtons(IsChecked isChecked) {
    for (std::size_t i = 0; i < POSITION_BUTTONS.size(); ++i) {
        if (isChecked(POSITION_BUTTONS[i])) {
            return static_cast<std::int32_t>(i + 1);
        }
    }
    return 0;
}

// The login name fits when it has at most this many characters.
constexpr std::size_t LOGIN_NAME_CHARS = 45;

// The caption of the group box 1011: the login name behind "Einstellungen für "
// when every user has settings of their own (nothing behind it when the name is
// unknown or too long), otherwise "Einstellungen für alle User".
std::string userGroupCaption(bool userdata, const std::optional<std::string>& loginName);

// Whether "Ändern" and "Standard" may change the folder of the appointment file. With
// settings for all users (`userdata` off) the folder is stored for the whole machine,
// which takes administrator rights, as the checkbox 1001 does.
bool mayChangeDataFolder(bool userdata, bool administrator);

// What the dialog keeps at opening as the sound file to put back on "Abbrechen":
// the file shown, or "x" when it has fewer than 5 characters.
std::string soundFileAtOpening(const std::string& shownFile);

// The standard event name that OK hands to the save: only one that the standard
// sound dialog put there (modified) and of at least 2 characters.
std::optional<std::string> standardSoundEventToSave(bool modified, const std::string& eventKey);

// Ranges of the three spin controls (they bind only the arrows).
struct SpinRange {
    int low;
    int high;
};
constexpr SpinRange ALARM_OFFSET_RANGE{0, 60};
constexpr SpinRange ALARM_END_RANGE{0, 60};
constexpr SpinRange ALARM_REPEAT_RANGE{1, 60};

// --- Standard sound dialog --------------------------------------------------

// Labels and event key names are read with room for this many characters.
constexpr std::size_t SOUND_EVENT_CHARS = 63;

struct SoundEvent {
    std::string label; // display label, as the list shows it
    std::string key;   // key name under AppEvents\Schemes\Apps\.Default
};

struct SoundEventList {
    std::vector<SoundEvent> events; // in the registry's order; the list box sorts them
    std::string selectText;         // the prefix that chooses the entry to select
};

// The Windows sound events that have a label, and the text that selects the
// wanted one: its label when an event's key name equals `wanted` (the text of
// field 1037, ".Default" when that is empty), otherwise `wanted` itself.
SoundEventList listSoundEvents(Registry& registry, std::string_view wanted);

// --- Sound control panel ----------------------------------------------------

// The command that opens the control panel's sound page: its third tab on
// Windows Vista and later, the first one before.
std::string soundControlPanelCommand(bool vistaOrLater);
