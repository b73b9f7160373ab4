// The configuration dialog's decisions and the list of sound events, over the
// in-memory registry.
#include <gtest/gtest.h>

#include <set>

#include "tests/support/memory_registry.h"
#include "ui/config_dialog_ids.h"
#include "ui/config_rules.h"

namespace {

TEST(PositionButtons, EveryPositionShowsItsButtonAndUnknownOnesTheCentre) {
    EXPECT_EQ(positionButton(1), IDC_CFG_POS_RIGHT_TOP);
    EXPECT_EQ(positionButton(2), IDC_CFG_POS_RIGHT_MIDDLE);
    EXPECT_EQ(positionButton(3), IDC_CFG_POS_RIGHT_BOTTOM);
    EXPECT_EQ(positionButton(4), IDC_CFG_POS_LEFT_TOP);
    EXPECT_EQ(positionButton(5), IDC_CFG_POS_LEFT_MIDDLE);
    EXPECT_EQ(positionButton(6), IDC_CFG_POS_LEFT_BOTTOM);
    for (const int unknown : {0, 7, 9, -1}) {
        EXPECT_EQ(positionButton(unknown), IDC_CFG_POS_CENTRE) << unknown;
    }
}

TEST(PositionButtons, ReadingBackGivesThePositionAndTheCentreGivesZero) {
    for (std::int32_t pos = 0; pos <= 7; ++pos) {
        const int shown = positionButton(pos);
        const std::int32_t read = positionFromButtons([shown](int id) { return id == shown; });
        EXPECT_EQ(read, pos >= 1 && pos <= 6 ? pos : 0) << pos;
    }
    // Two checked buttons: the first in OK's order wins.
    const std::set<int> checked{IDC_CFG_POS_LEFT_TOP, IDC_CFG_POS_RIGHT_BOTTOM};
    EXPECT_EQ(positionFromButtons([&](int id) { return checked.count(id) > 0; }), 3);
}

TEST(UserGroupCaption, NamesTheUserOrAllUsers) {
    EXPECT_EQ(userGroupCaption(false, std::string("anna")), "Einstellungen f\xFCr alle User");
    EXPECT_EQ(userGroupCaption(true, std::string("anna")), "Einstellungen f\xFCr anna");
    EXPECT_EQ(userGroupCaption(true, std::nullopt), "Einstellungen f\xFCr ");
    const std::string longest(45, 'n');
    EXPECT_EQ(userGroupCaption(true, longest), "Einstellungen f\xFCr " + longest);
    EXPECT_EQ(userGroupCaption(true, longest + "n"), "Einstellungen f\xFCr ");
}

TEST(MayChangeDataFolder, AFolderForAllUsersTakesAdministratorRights) {
    struct Case {
        bool userdata;
        bool administrator;
        bool allowed;
    };
    for (const Case c : {Case{true, true, true}, Case{true, false, true}, Case{false, true, true},
                         Case{false, false, false}}) {
        EXPECT_EQ(mayChangeDataFolder(c.userdata, c.administrator), c.allowed)
            << c.userdata << c.administrator;
    }
}

TEST(SoundFileAtOpening, KeepsOnlyNamesOfAtLeastFiveCharacters) {
    EXPECT_EQ(soundFileAtOpening(""), "x");
    EXPECT_EQ(soundFileAtOpening("a.wa"), "x");
    EXPECT_EQ(soundFileAtOpening("a.wav"), "a.wav");
}

TEST(StandardSoundEventToSave, OnlyAPickedNameOfTwoCharacters) {
    EXPECT_FALSE(standardSoundEventToSave(false, ".Default"));
    EXPECT_FALSE(standardSoundEventToSave(true, "x"));
    EXPECT_FALSE(standardSoundEventToSave(true, ""));
    EXPECT_EQ(standardSoundEventToSave(true, "Ab").value_or(""), "Ab");
}

TEST(SoundControlPanelCommand, OpensTheSoundTabOfTheSystemVersion) {
    EXPECT_EQ(soundControlPanelCommand(true),
              "rundll32.exe shell32.dll,Control_RunDLL MMSYS.CPL,,2");
    EXPECT_EQ(soundControlPanelCommand(false),
              "rundll32.exe shell32.dll,Control_RunDLL MMSYS.CPL,,1");
}

class SoundEvents : public ::testing::Test {
  protected:
    void event(const std::string& key) {
        registry.create(RegistryRoot::User, "AppEvents\\Schemes\\Apps\\.Default\\" + key);
    }
    void label(const std::string& key, const std::string& text) {
        registry.create(RegistryRoot::User, "AppEvents\\EventLabels\\" + key).writeString("", text);
    }
    void labelled(const std::string& key, const std::string& text) {
        event(key);
        label(key, text);
    }
    static std::vector<std::string> labels(const SoundEventList& list) {
        std::vector<std::string> out;
        for (const SoundEvent& e : list.events) {
            out.push_back(e.label);
        }
        return out;
    }

    MemoryRegistry registry;
};

TEST_F(SoundEvents, OffersOnlyEventsWithALabelAndKeepsTheirKeyNames) {
    labelled(".Default", "Standardton");
    labelled("SystemExit", "Windows beenden");
    event("NoLabelKey");
    labelled("EmptyLabel", "");
    label("OnlyALabel", "Nicht in der Liste");

    const SoundEventList list = listSoundEvents(registry, "Standardton");
    ASSERT_EQ(list.events.size(), 2u);
    EXPECT_EQ(list.events[0].label, "Standardton");
    EXPECT_EQ(list.events[0].key, ".Default");
    EXPECT_EQ(list.events[1].label, "Windows beenden");
    EXPECT_EQ(list.events[1].key, "SystemExit");
    EXPECT_EQ(list.selectText, "Standardton");
    EXPECT_EQ(registry.openKeys(), 0);
}

TEST_F(SoundEvents, AKeyNameEqualToTheWantedTextSelectsItsLabel) {
    labelled(".Default", "Standardton");
    labelled("Mail", "Neue E-Mail");
    EXPECT_EQ(listSoundEvents(registry, "Mail").selectText, "Neue E-Mail");
    // An empty field means the default beep.
    EXPECT_EQ(listSoundEvents(registry, "").selectText, "Standardton");
    // The comparison of key names is exact.
    EXPECT_EQ(listSoundEvents(registry, "mail").selectText, "mail");
    EXPECT_EQ(listSoundEvents(registry, "undefiniert").selectText, "undefiniert");
}

TEST_F(SoundEvents, TheFirstMatchingKeyDecidesAndLabelsMayRepeat) {
    labelled("A1", "Gleich");
    labelled("A2", "Gleich");
    labelled("B", "A1");
    const SoundEventList list = listSoundEvents(registry, "A1");
    EXPECT_EQ(labels(list), (std::vector<std::string>{"Gleich", "Gleich", "A1"}));
    EXPECT_EQ(list.selectText, "Gleich");
}

TEST_F(SoundEvents, LabelsAndNamesBeyondSixtyThreeCharactersAreLeftOut) {
    labelled("Long", std::string(64, 'L'));
    labelled("Fits", std::string(63, 'F'));
    labelled(std::string(64, 'K'), "Zu langer Name");
    labelled("ZLater", "Danach");
    EXPECT_EQ(labels(listSoundEvents(registry, "")),
              (std::vector<std::string>{std::string(63, 'F'), "Danach"}));
}

TEST_F(SoundEvents, MissingKeysGiveAnEmptyList) {
    label(".Default", "Standardton");
    EXPECT_TRUE(listSoundEvents(registry, "").events.empty()); // no events key

    MemoryRegistry noLabels;
    noLabels.create(RegistryRoot::User, "AppEvents\\Schemes\\Apps\\.Default\\.Default");
    EXPECT_TRUE(listSoundEvents(noLabels, "").events.empty());
    EXPECT_EQ(noLabels.openKeys(), 0);
}

} // namespace
