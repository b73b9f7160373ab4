// Appointments written as words, for tables of cases: "A" is the appointment with the
// identity and the text "A" at WORD_TIME, "Ax2" one with the text "Ax" at 2 edits, "A+1"
// one moved on once (a day later), "A*" one that repeats daily ("A*#5" with 5 occurrences
// left), "A@1" one a day later without a move, "B=A" identity B with the text "A", "_N" the
// text "N" without identity, and "~A" the identity that a file without identities gives "A"
// (the second equal one of a list gets the second such identity). Other identities show as
// "?".
#pragma once

#include <cctype>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <tuple>

#include "core/appointment_book.h"
#include "core/calendar.h"

constexpr TimeValue WORD_TIME = 1800000000; // Friday 2027-01-15 09:00 CET
constexpr TimeValue WORD_DAY = 86400;

// The identity a file without identities gives the appointment with the text `letter` at
// that time and rule, with `equalBefore` equal ones before it.
inline AppointmentId derivedFromWord(char letter, const Appointment& a, int equalBefore = 0) {
    return derivedAppointmentId(std::string(1, letter), timeToFileKey(a.alarmTime),
                                recurrenceToAttribute(a.recurrence, a.alarmTime), equalBefore);
}

// One word; `equalBefore` counts the "~" words before it with the same letter, time and rule.
inline Appointment appointmentFromWord(std::string_view w, int equalBefore = 0) {
    Appointment a{WORD_TIME, "", {}, static_cast<AppointmentId>(w[0]), {}};
    std::size_t at = w[0] == '_' || w[0] == '~' ? 1 : 0;
    if (w.size() > at + 1 && w[at + 1] == '=') {
        at += 2;
    }
    a.text = std::string(1, w[at++]);
    if (at < w.size() && std::isalpha(static_cast<unsigned char>(w[at]))) {
        a.text += w[at++];
    }
    const auto number = [&w, &at] { return static_cast<std::uint32_t>(w[at++] - '0'); };
    if (at < w.size() && std::isdigit(static_cast<unsigned char>(w[at]))) {
        a.revision.edits = number();
    }
    if (at + 1 < w.size() && w[at] == '+') {
        ++at;
        a.revision.moves = number();
    }
    if (at < w.size() && w[at] == '*') {
        ++at;
        a.recurrence = makeRecurrence(RepeatKind::Daily, WORD_TIME);
        if (at + 1 < w.size() && w[at] == '#') {
            ++at;
            a.recurrence.count = static_cast<std::uint16_t>(number());
        }
    }
    a.alarmTime += a.revision.moves * WORD_DAY;
    if (at + 1 < w.size() && w[at] == '@') {
        ++at;
        a.alarmTime = WORD_TIME + number() * WORD_DAY;
    }
    if (w[0] == '_') {
        a.id = NO_ID;
    } else if (w[0] == '~') {
        a.id = derivedFromWord(a.text[0], a, equalBefore);
    }
    return a;
}

inline std::string idWord(AppointmentId id) {
    return id < 128 ? std::string(1, static_cast<char>(id)) : "?";
}

inline std::string wordOf(const Appointment& a) {
    std::string w;
    if (a.id == NO_ID) {
        w = "_" + a.text;
    } else if (!a.text.empty() && a.id == derivedFromWord(a.text[0], a)) {
        w = "~" + a.text;
    } else if (!a.text.empty() && idWord(a.id)[0] == a.text[0]) {
        w = a.text;
    } else {
        w = idWord(a.id) + "=" + a.text;
    }
    if (a.revision.edits > 0) {
        w += std::to_string(a.revision.edits);
    }
    if (a.revision.moves > 0) {
        w += "+" + std::to_string(a.revision.moves);
    }
    if (a.recurrence.repeats()) {
        w += "*";
        if (a.recurrence.count != 0) {
            w += "#" + std::to_string(a.recurrence.count);
        }
    }
    if (a.alarmTime != WORD_TIME + a.revision.moves * WORD_DAY) {
        w += "@" + std::to_string((a.alarmTime - WORD_TIME) / WORD_DAY);
    }
    return w;
}

// Calls `take` with each word of a list in turn.
template <typename Take> void forEachWord(std::string_view words, Take take) {
    std::istringstream in{std::string(words)};
    for (std::string w; in >> w;) {
        take(w);
    }
}

// The appointments of a list of words, in its order.
inline std::vector<Appointment> appointmentsFromWords(std::string_view words) {
    std::vector<Appointment> all;
    std::map<std::tuple<char, TimeValue, Recurrence>, int> derived;
    forEachWord(words, [&](const std::string& w) {
        Appointment a = appointmentFromWord(w);
        if (w[0] == '~') {
            a = appointmentFromWord(w, derived[{a.text[0], a.alarmTime, a.recurrence}]++);
        }
        all.push_back(a);
    });
    return all;
}

inline AppointmentBook bookFromWords(std::string_view words) {
    AppointmentBook book;
    for (const Appointment& a : appointmentsFromWords(words)) {
        book.insert(a);
    }
    return book;
}

// The words of a book in book order.
inline std::string wordsOf(const AppointmentBook& book) {
    std::string all;
    book.forEach([&all](const Appointment& a) { all += (all.empty() ? "" : " ") + wordOf(a); });
    return all;
}
