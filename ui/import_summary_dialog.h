// The summary of an import: how many appointments an iCalendar file adds, updates and
// finds there already, and what comes in only approximately or not at all, with the
// reason. Nothing changes unless the user agrees.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "store/ical/ical_import.h"

// Shows the plan that `plan` makes for the time of day all-day events alarm at (minutes
// after midnight, 08:00 at first); the user may choose another time, and the plan is
// made again. The plan after OK; nothing after "Abbrechen".
std::optional<ImportPlan> confirmImport(HWND owner, const std::string& file,
                                        const std::function<ImportPlan(int)>& plan,
                                        bool hasAllDayEvents);

// The lines the summary shows of the notes: at most `most`, then how many more there are.
std::string noteLines(const std::vector<ImportNote>& notes, std::size_t most);
