// The scheduler's decisions, free of the platform.
#include "app/scheduler.h"

#include "core/calendar.h"
#include "res/resource.h"

const std::array<StatusEntry, 8> STATUS_TABLE = {{
    {0, IDI_OFF, "Zodora ist aus"},
    {0, IDI_ON, "keine Termine in der nächsten Stunde"},
    {0, IDI_NOTHING_TO_DO, "keine Termine"},
    {60, IDI_WITHIN_HOUR, "Termin innerhalb der nächsten Stunde"},
    {30, IDI_WITHIN_HALF_HOUR, "Termin innerhalb der nächsten halben Stunde"},
    {10, IDI_WITHIN_TEN_MINUTES, "Termin innerhalb 10 Minuten"},
    {0, IDI_SNOOZED, "Termin mit Schlummertaste weggedrückt"},
    {0, IDI_DUE, "du musst los"},
}};

TrayStatus composeStatus(StatusRow row, const std::string* detail, std::int32_t snoozeCount) {
    if (snoozeCount > 0) {
        const StatusEntry& snoozed = STATUS_TABLE[StatusSnoozed];
        return {snoozed.iconId, snoozed.text};
    }
    const StatusEntry& entry = STATUS_TABLE[row];
    if (detail == nullptr) {
        return {entry.iconId, entry.text};
    }
    std::string tooltip = "Termin:\r\n" + *detail;
    if (tooltip.size() > TOOLTIP_MAX_CHARS) {
        tooltip.resize(TOOLTIP_MAX_CHARS);
    }
    return {entry.iconId, std::move(tooltip)};
}

std::string appointmentDetail(const Appointment& appointment, const LocalDate& today) {
    return timeToDisplay(appointment.alarmTime, today) + "\r\n" + appointment.text;
}

bool isDue(TimeValue alarmTime, TimeValue now, std::int32_t alarmOffsetMinutes) {
    // 64-bit arithmetic: the offset comes unchecked from the registry.
    return alarmTime <= now + static_cast<TimeValue>(alarmOffsetMinutes) * 60;
}

int countDue(const AppointmentBook& book, TimeValue now, std::int32_t alarmOffsetMinutes) {
    int due = 0;
    book.forEach([&](const Appointment& appointment) {
        if (isDue(appointment.alarmTime, now, alarmOffsetMinutes)) {
            ++due;
        }
    });
    return due;
}

StatusRow rowForDistance(TimeValue alarmTime, TimeValue now) {
    for (StatusRow row : {StatusWithinTenMinutes, StatusWithinHalfHour, StatusWithinHour}) {
        if (alarmTime < now + static_cast<TimeValue>(STATUS_TABLE[row].thresholdMinutes) * 60) {
            return row;
        }
    }
    return StatusOn;
}

TickDecision decideTick(const AppointmentBook& book, const Settings& settings, const Clock& clock) {
    const TimeValue now = clock.currentTime();
    if (book.count() == 0) {
        if (settings.onondemand) {
            return {TickAction::Sleep, StatusNothingToDo, std::nullopt};
        }
        return {TickAction::ShowStatus, StatusOn, std::nullopt};
    }
    const Appointment earliest = book.earliest();
    if (isDue(earliest.alarmTime, now, settings.alarmoffset)) {
        return {TickAction::Alarm, StatusDue, std::nullopt};
    }
    return {TickAction::ShowStatus, rowForDistance(earliest.alarmTime, now),
            appointmentDetail(earliest, clock.today())};
}

AlarmRecord makeAlarmRecord(const Appointment& appointment, const Settings& settings) {
    AlarmRecord record;
    record.alarmTime = appointment.alarmTime;
    record.text = appointment.text;
    record.reminderNumber = 1;
    record.autoEndMinutes = settings.alarmend;
    record.snoozeMinutes = settings.alarmrepeat;
    record.position = settings.alarmpos;
    record.playSound = settings.playsound;
    record.repeatSound = settings.repeatsound;
    return record;
}

std::optional<Appointment> nextInSeries(const Appointment& due, TimeValue now) {
    const auto next = occurrenceAfterAlarm(due.recurrence, due.alarmTime, now);
    if (!next) {
        return std::nullopt;
    }
    return Appointment{next->time, due.text, next->rule, due.id, moved(due.revision)};
}

const char* toggleMenuLabel(std::uint32_t alarmTimer) {
    return alarmIsOn(alarmTimer) ? "Zodora AUS" : "Zodora EIN";
}
