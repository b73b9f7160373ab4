// The scheduler's decisions: alarm states, the status table, the tooltip text
// and what a tick does with the earliest appointment. No platform calls here.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "app/alarm_record.h"
#include "core/appointment_book.h"
#include "core/clock.h"
#include "core/settings.h"

// Alarm state: 0 off, 1 sleeping, otherwise running (the tick timer's id, 11).
enum : std::uint32_t { AlarmOff = 0, AlarmSleeping = 1 };

// Sleeping counts as switched on.
inline bool alarmIsOn(std::uint32_t alarmTimer) {
    return alarmTimer != AlarmOff;
}
inline bool alarmIsRunning(std::uint32_t alarmTimer) {
    return alarmTimer >= 2;
}

// The rows of the status table.
enum StatusRow : int {
    StatusOff = 0,
    StatusOn = 1,
    StatusNothingToDo = 2,
    StatusWithinHour = 3,
    StatusWithinHalfHour = 4,
    StatusWithinTenMinutes = 5,
    StatusSnoozed = 6,
    StatusDue = 7,
};

struct StatusEntry {
    int thresholdMinutes; // only the rows within the hour, half hour and ten minutes have one
    int iconId;
    const char* text;
};

extern const std::array<StatusEntry, 8> STATUS_TABLE;

// What the tray shows: an icon resource and the tooltip.
struct TrayStatus {
    int iconId = 0;
    std::string tooltip;
    bool operator==(const TrayStatus&) const = default;
};

// The tooltip holds 63 characters; a longer text is cut to them.
constexpr std::size_t TOOLTIP_MAX_CHARS = 63;

// The status for a row, or the snooze row while any alarm window is snoozed.
// With a detail the tooltip is "Termin:\r\n" and the detail instead of the row's text.
TrayStatus composeStatus(StatusRow row, const std::string* detail, std::int32_t snoozeCount);

// The display form of the time, a line break and the text.
std::string appointmentDetail(const Appointment& appointment, const LocalDate& today);

// Due at now + offset minutes or earlier.
bool isDue(TimeValue alarmTime, TimeValue now, std::int32_t alarmOffsetMinutes);

// How many appointments are due at now, the offset included: after sleep or a
// change of the clock, those alarm at once, each in its own window.
int countDue(const AppointmentBook& book, TimeValue now, std::int32_t alarmOffsetMinutes);

// The row by the distance from now (not from the offset): 10, 30 and 60 minutes,
// strict comparisons; an hour or more gives row 1.
StatusRow rowForDistance(TimeValue alarmTime, TimeValue now);

enum class TickAction {
    ShowStatus, // show row (and detail, when there is one)
    Sleep,      // stop the tick timer and show row 2
    Alarm,      // the earliest appointment is due
};

struct TickDecision {
    TickAction action = TickAction::ShowStatus;
    StatusRow row = StatusOn;
    std::optional<std::string> detail;
};

TickDecision decideTick(const AppointmentBook& book, const Settings& settings, const Clock& clock);

// The record a new alarm window gets: the appointment and the current settings.
AlarmRecord makeAlarmRecord(const Appointment& appointment, const Settings& settings);

// What takes the place of an appointment that falls due at now: a series' next
// occurrence after both its alarm time and now (an alarm offset makes it fall
// due before its time), same text, and its rule there (one occurrence fewer left);
// none for a one-off or a series whose end has come.
std::optional<Appointment> nextInSeries(const Appointment& due, TimeValue now);

// The label of menu item 40001: the action that choosing it performs.
const char* toggleMenuLabel(std::uint32_t alarmTimer);
