// A series' rule in plain German, as the list's column and the dialog "Wiederholung"
// show it, and a text shortened with "…" to the room it has.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/recurrence.h"

// The German names of the weekdays counted from Sunday, and of the months from 1.
std::string_view weekdayLongName(int dayOfWeek);
std::string_view monthName(int month);

// "alle 2 Wochen am Dienstag und Donnerstag, bis 31.12.2027", "jeden letzten Freitag
// im Monat, noch 10-mal"; a one-off has none. A rule that its kind alone names is its
// word ("täglich", "werktags", "wöchentlich", "monatlich", "jährlich"), or, with
// `wordForPlain` false, said in full ("jeden Dienstag", "jährlich am 16. Dezember").
// Windows-1252.
std::string describeRecurrence(const Recurrence& rule, bool wordForPlain = true);

// The text as it is when `width` holds it (measured by `measure`); otherwise its
// longest beginning that fits with "…" (0x85) after it, without the blanks and commas
// the cut leaves at its end; only "…" when not even a letter fits with it.
std::string shortenToWidth(std::string_view text, int width,
                           const std::function<int(std::string_view)>& measure);
