// The dialog "Wiederholung": every rule of repetition, opened from the editor's
// "Mehr…".
#pragma once

#include <windows.h>

#include <optional>

#include "core/recurrence.h"

// What the editor shows when it opens the dialog: the moment picked (its local date
// and time, and the time value they name), and the current time, which places a
// series picked in the past as the editor does.
struct RepeatStart {
    LocalDateTime picked;
    TimeValue chosen = 0;
    TimeValue now = 0;
};

// Opens the dialog modally over `owner` with the choices of `rule` (a rule that does
// not repeat offers a weekly one on the picked weekday). It shows the rule in words
// and its next five dates as the user changes it. The rule chosen, made at the
// picked moment; none after "Abbrechen".
std::optional<Recurrence> chooseRepetition(HWND owner, const Recurrence& rule,
                                           const RepeatStart& start);
