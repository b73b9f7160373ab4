// Files shaped like the exports of Google Calendar, Outlook, Thunderbird and Apple
// Calendar, and RFC 5545's New York zone, read into the program's appointments; files
// that are not iCalendar, cut off, very large or odd.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "core/calendar.h"
#include "store/ical/ical_import.h"

namespace {

const TimeValue NOW = 1796079600; // 2026-12-01 00:00 CET

std::string sample(const char* name) {
    std::ifstream in(std::string(QZ_ICAL_SAMPLES) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

ImportPlan plan(std::string_view text, const std::vector<Appointment>& current = {}) {
    ImportSettings settings;
    settings.now = NOW;
    settings.systemZoneName = "W. Europe Standard Time";
    return planImport(readCalendar(text), current, settings);
}

// "YYMMDDhhmm wdh text" for each appointment the plan adds.
std::vector<std::string> added(const ImportPlan& p) {
    std::vector<std::string> all;
    for (const Appointment& a : p.added) {
        all.push_back(timeToFileKey(a.alarmTime) + " " +
                      recurrenceToAttribute(a.recurrence, a.alarmTime) + " " + a.text);
    }
    return all;
}

std::vector<std::string> notes(const ImportPlan& p) {
    std::vector<std::string> all;
    for (const ImportNote& n : p.notes) {
        all.push_back(n.what + " | " + n.how + (n.skipped ? " [skipped]" : ""));
    }
    return all;
}

struct Sample {
    const char* file;
    std::vector<std::string> added;
    int past;
    std::vector<std::string> notes;
};

TEST(IcalSamples, ExportsOfTheBigCalendarsComeInAsTheySay) {
    const std::vector<Sample> samples{
        {"google.ics",
         {"2612071530  Zahnarzt Dr. M\xFCller, Kontrolle", "2612150900 woche Teambesprechung",
          "2612221100  Teambesprechung (sp\xE4ter)", "2612240800  Heiligabend",
          "2701151800  Viele Gr\xFC\xDF"
          "e an die Familie und alle Freunde aus dem Verein am W"},
         1,
         {"Teambesprechung, 15.12.2026 09:00 | 1 spätere Ausnahme(n) nicht übernommen: die Serie "
          "erinnert dort trotzdem",
          "Viele Gr\xFC\xDF"
          "e an die Familie und alle Freunde aus dem Verein am W, 15.01.2027 "
          "18:00 | 1 Zeichen außerhalb von Windows-1252 durch \"?\" ersetzt",
          "Viele Gr\xFC\xDF"
          "e an die Familie und alle Freunde aus dem Verein am W, 15.01.2027 "
          "18:00 | Text nach 63 Zeichen abgeschnitten"}},
        {"outlook.ics",
         {"2612111000  Abteilungsrunde", "2612311600  Monatsabschluss",
          "2612081830 monat 2.di noch 10 Chorprobe", "2612040730 tag bis 2026-12-05 Fr\xFChdienst",
          "2703010900 jahr Mama Geburtstag"},
         0,
         {"Monatsabschluss, 31.12.2026 16:00 | mit BYSETPOS: nur der nächste Termin übernommen",
          "Mama Geburtstag, 01.03.2027 09:00 | Erinnerung an einem anderen Tag: hier am Tag "
          "selbst um 09:00"}},
        {"thunderbird.ics",
         {"2612091800 woche/2 mo,mi Sport",
          "2612310900 monat Miete \xFC"
          "berweisen",
          "2612032000  Elternabend"},
         0,
         {"Elternabend, 03.12.2026 20:00 | Beginn (DTSTART) außerhalb der Regel: nur der nächste "
          "Termin übernommen"}},
        {"apple.ics",
         {"2702120900 jahr Geburtstag Oma", "2701101000  Kirchenkonzert",
          "2612101900 woche noch 5 Yoga", "2612312000 monat letzter.do Elternabend"},
         0,
         {"Geburtstag Oma, 12.02.2027 09:00 | Erinnerung an einem anderen Tag: hier am Tag selbst "
          "um 09:00",
          "Abgesagter Termin, 11.01.2027 10:00 | abgesagt: übersprungen [skipped]"}},
        {"new_york.ics",
         {"2703201400  Telefonat New York",
          "2612071500 woche W\xF6"
          "chentlich New York",
          "2612080200 woche di,do noch 8 Abendkurs New York", "2701010200  Monatsende New York"},
         0,
         {"W\xF6"
          "chentlich New York, 07.12.2026 15:00 | in einer anderen Zeitzone: Uhrzeit nach "
          "hiesiger Zeit, die sich bei Zeitumstellungen verschieben kann",
          "Abendkurs New York, 08.12.2026 02:00 | in einer anderen Zeitzone: Uhrzeit nach "
          "hiesiger Zeit, die sich bei Zeitumstellungen verschieben kann",
          "Monatsende New York, 01.01.2027 02:00 | in einer anderen Zeitzone an anderen Tagen: "
          "nur der nächste Termin übernommen"}},
    };
    for (const Sample& s : samples) {
        const ImportPlan p = plan(sample(s.file));
        EXPECT_EQ(added(p), s.added) << s.file;
        EXPECT_EQ(p.past, s.past) << s.file;
        EXPECT_EQ(notes(p), s.notes) << s.file;
        EXPECT_TRUE(p.updated.empty());
        // Imported again into what the first import gave: nothing new, nothing changed.
        const ImportPlan again = plan(sample(s.file), p.added);
        EXPECT_TRUE(again.added.empty()) << s.file;
        EXPECT_TRUE(again.updated.empty()) << s.file;
        EXPECT_EQ(again.unchanged, static_cast<int>(p.added.size())) << s.file;
    }
}

TEST(IcalSamples, AChangedEventWithTheSameUidUpdatesItsAppointment) {
    const ImportPlan first = plan(sample("google.ics"));
    std::string changed = sample("google.ics");
    changed.replace(changed.find("20261207T143000Z"), 16, "20261208T143000Z");
    const ImportPlan second = plan(changed, first.added);
    ASSERT_EQ(second.updated.size(), 1u);
    EXPECT_EQ(second.updated[0].first, 0u);
    EXPECT_EQ(timeToFileKey(second.updated[0].second.alarmTime), "2612081530");
    EXPECT_EQ(second.updated[0].second.id, first.added[0].id);
    EXPECT_TRUE(second.added.empty());
}

TEST(IcalSamples, WhatIsNoCalendarOrCutOffChangesNothingOrKeepsWhatIsWhole) {
    for (const std::string& text :
         std::vector<std::string>{"", "<?xml version=\"1.0\"?><quarvwecker/>", "BEGIN:VCARD\r\n",
                                  "\xEF\xBB\xBF\r\n", std::string(1000, '\0')}) {
        EXPECT_FALSE(readCalendar(text).isCalendar);
    }
    std::string google = sample("google.ics");
    google.resize(google.find("UID:2d9f1c3b5a7e"));
    const IcalCalendar cut = readCalendar(google);
    EXPECT_TRUE(cut.isCalendar);
    EXPECT_FALSE(cut.complete);
    EXPECT_EQ(cut.events.size(), 3u); // the fourth event is not whole
}

// 100,000 events with bare LF line ends, lines folded anywhere, odd zone definitions
// (no observance, a daily rule, an offset of +0530 with seconds, an UNTIL before the
// start): read without a hang or a crash, each event placed.
TEST(IcalSamples, HugeAndOddFilesAreReadWhole) {
    std::string text = "BEGIN:VCALENDAR\nVERSION:2.0\n"
                       "BEGIN:VTIMEZONE\nTZID:Leer\nEND:VTIMEZONE\n"
                       "BEGIN:VTIMEZONE\nTZID:Seltsam\nBEGIN:STANDARD\nDTSTART:19700101T000000\n"
                       "TZOFFSETFROM:+053010\nTZOFFSETTO:+0530\nRRULE:FREQ=DAILY\nEND:STANDARD\n"
                       "BEGIN:DAYLIGHT\nDTSTART:20300101T000000\nTZOFFSETFROM:+0530\n"
                       "TZOFFSETTO:+0630\nRRULE:FREQ=YEARLY;UNTIL=19990101T000000Z\n"
                       "END:DAYLIGHT\nEND:VTIMEZONE\n";
    constexpr int EVENTS = 100000;
    for (int i = 0; i < EVENTS; ++i) {
        const char* zone = i % 3 == 0 ? "Leer" : i % 3 == 1 ? "Seltsam" : "Unbekannt";
        text += "BEGIN:VEVENT\nUID:e" + std::to_string(i) + "@x\nSUMMARY:Termin " +
                std::to_string(i) + "\nDTSTART;TZID=" + zone + ":2027011" + std::to_string(i % 10) +
                "T0\n 90000\n" + (i % 7 == 0 && i % 3 != 1 ? "RRULE:FREQ=DAILY\n" : "") +
                "END:VEVENT\n";
    }
    text += "END:VCALENDAR\n";
    const ImportPlan p = plan(text);
    EXPECT_EQ(p.added.size(), static_cast<std::size_t>(EVENTS));
    EXPECT_EQ(p.past, 0);
    // "Leer" has no usable definition and "Unbekannt" none at all: local time, and said so.
    EXPECT_EQ(p.notes.size(), static_cast<std::size_t>(EVENTS * 2 / 3 + 1));
    EXPECT_EQ(timeToFileKey(p.added[0].alarmTime), "2701100900");
    EXPECT_EQ(timeToFileKey(p.added[1].alarmTime), "2701110430"); // 09:00 at +05:30
}

} // namespace
