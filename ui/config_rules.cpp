// Decisions of the configuration dialog and its sound selection.
#include "ui/config_rules.h"

#include "store/registry.h"
#include "ui/config_dialog_ids.h"

const std::array<int, 6> POSITION_BUTTONS = {
    IDC_CFG_POS_RIGHT_TOP, IDC_CFG_POS_RIGHT_MIDDLE, IDC_CFG_POS_RIGHT_BOTTOM,
    IDC_CFG_POS_LEFT_TOP,  IDC_CFG_POS_LEFT_MIDDLE,  IDC_CFG_POS_LEFT_BOTTOM,
};

int positionButton(std::int32_t alarmpos) {
    if (alarmpos >= 1 && alarmpos <= static_cast<std::int32_t>(POSITION_BUTTONS.size())) {
        return POSITION_BUTTONS[static_cast<std::size_t>(alarmpos - 1)];
    }
    return IDC_CFG_POS_CENTRE;
}

std::string userGroupCaption(bool userdata, const std::optional<std::string>& loginName) {
    if (!userdata) {
        return "Einstellungen für alle User";
    }
    std::string caption = "Einstellungen für ";
    if (loginName && loginName->size() <= LOGIN_NAME_CHARS) {
        caption += *loginName;
    }
    return caption;
}

bool mayChangeDataFolder(bool userdata, bool administrator) {
    return userdata || administrator;
}

std::string soundFileAtOpening(const std::string& shownFile) {
    return shownFile.size() > 4 ? shownFile : std::string("x");
}

std::optional<std::string> standardSoundEventToSave(bool modified, const std::string& eventKey) {
    if (modified && eventKey.size() >= 2) {
        return eventKey;
    }
    return std::nullopt;
}

SoundEventList listSoundEvents(Registry& registry, std::string_view wanted) {
    SoundEventList list;
    list.selectText = wanted.empty() ? std::string(".Default") : std::string(wanted);

    const RegistryKey labels =
        registry.open(RegistryRoot::User, "AppEvents\\EventLabels", RegistryAccess::Read);
    if (!labels) {
        return list;
    }
    const RegistryKey events = registry.open(
        RegistryRoot::User, "AppEvents\\Schemes\\Apps\\.Default", RegistryAccess::Read);
    if (!events) {
        return list;
    }

    bool matched = false;
    std::string key;
    // Names are enumerated with the registry's own limit, so that one overlong
    // name does not end the walk; events with such names are not offered.
    for (std::uint32_t index = 0; events.subkeyName(index, key, 255); ++index) {
        if (key.size() > SOUND_EVENT_CHARS) {
            continue;
        }
        const RegistryKey labelKey = labels.open(key, RegistryAccess::Read);
        std::string label;
        if (!labelKey || !labelKey.readString("", SOUND_EVENT_CHARS, label) || label.empty()) {
            continue;
        }
        if (!matched && key == list.selectText) {
            list.selectText = label;
            matched = true;
        }
        list.events.push_back({std::move(label), key});
    }
    return list;
}

std::string soundControlPanelCommand(bool vistaOrLater) {
    return vistaOrLater ? "rundll32.exe shell32.dll,Control_RunDLL MMSYS.CPL,,2"
                        : "rundll32.exe shell32.dll,Control_RunDLL MMSYS.CPL,,1";
}
