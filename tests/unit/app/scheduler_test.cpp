// The scheduler's decisions: status rows, due times, sleep, tooltips, menu label.
#include <gtest/gtest.h>

#include "app/scheduler.h"
#include "core/calendar.h"
#include "res/resource.h"
#include "tests/support/fixed_clock.h"

namespace {

constexpr TimeValue now = sunday1430;
// Monday 2026-12-07 09:30 CET.
constexpr TimeValue monday0930 = now + 19 * 3600;

class Scheduler : public FixedClockTest {
  protected:
    // The tick's decision at a moment of the same Sunday.
    TickDecision decideAt(TimeValue moment) {
        clock.set(moment);
        return decideTick(book_, settings_, clock);
    }

    Settings settings_;
    AppointmentBook book_;
};

TEST_F(Scheduler, RowByDistanceWithStrictThresholds) {
    const std::pair<TimeValue, int> cases[] = {
        {1, StatusWithinTenMinutes},
        {599, StatusWithinTenMinutes},
        {600, StatusWithinHalfHour},
        {1799, StatusWithinHalfHour},
        {1800, StatusWithinHour},
        {3599, StatusWithinHour},
        {3600, StatusOn},
        {7200, StatusOn},
    };
    for (const auto& [distance, row] : cases) {
        EXPECT_EQ(rowForDistance(now + distance, now), row) << "distance " << distance;
    }
}

TEST_F(Scheduler, StatusTableRows) {
    const int expectedIds[] = {118, 117, 120, 103, 105, 106, 119, 107};
    for (int row = 0; row < 8; ++row) {
        EXPECT_EQ(STATUS_TABLE[row].iconId, expectedIds[row]);
    }
    EXPECT_STREQ(STATUS_TABLE[StatusOn].text, "keine Termine in der n\xe4"
                                              "chsten Stunde");
    EXPECT_STREQ(STATUS_TABLE[StatusSnoozed].text, "Termin mit Schlummertaste weggedr\xfc"
                                                   "ckt");
    EXPECT_STREQ(STATUS_TABLE[StatusOff].text, "Zodora ist aus");
    EXPECT_STREQ(STATUS_TABLE[StatusNothingToDo].text, "keine Termine");
    EXPECT_STREQ(STATUS_TABLE[StatusDue].text, "du musst los");
}

TEST_F(Scheduler, DueExactlyAtOffsetNotOneSecondLater) {
    settings_.alarmoffset = 5;
    EXPECT_TRUE(isDue(now + 300, now, 5));
    EXPECT_FALSE(isDue(now + 301, now, 5));
    EXPECT_TRUE(isDue(now - 86400, now, 0)); // the past is due at once
    EXPECT_TRUE(isDue(now, now, 0));
    EXPECT_FALSE(isDue(now + 1, now, 0));

    // One second after due, the row comes from the distance to now: 301 s is row 5.
    book_.insert(now + 301, "Zahnarzt");
    const TickDecision pending = decideAt(now);
    EXPECT_EQ(pending.action, TickAction::ShowStatus);
    EXPECT_EQ(pending.row, StatusWithinTenMinutes);

    const TickDecision due = decideAt(now + 1);
    EXPECT_EQ(due.action, TickAction::Alarm);
    EXPECT_EQ(due.row, StatusDue);
}

TEST_F(Scheduler, HugeOffsetDoesNotOverflow) {
    EXPECT_TRUE(isDue(now + 3600, now, 0x7fffffff));
    EXPECT_FALSE(isDue(now, now, -0x7fffffff - 1));
}

TEST_F(Scheduler, EmptyBookSleepsOnlyOnDemand) {
    settings_.onondemand = true;
    const TickDecision sleep = decideAt(now);
    EXPECT_EQ(sleep.action, TickAction::Sleep);
    EXPECT_EQ(sleep.row, StatusNothingToDo);
    EXPECT_FALSE(sleep.detail);

    settings_.onondemand = false;
    const TickDecision stay = decideAt(now);
    EXPECT_EQ(stay.action, TickAction::ShowStatus);
    EXPECT_EQ(stay.row, StatusOn);
    EXPECT_FALSE(stay.detail);
}

TEST_F(Scheduler, PendingAppointmentNamesItself) {
    book_.insert(monday0930, "Zahnarzt");
    book_.insert(monday0930 + 60, "später");
    const TickDecision decision = decideAt(now);
    EXPECT_EQ(decision.action, TickAction::ShowStatus);
    EXPECT_EQ(decision.row, StatusOn); // icon of row 1, but the tooltip names the appointment
    ASSERT_TRUE(decision.detail);
    EXPECT_EQ(*decision.detail, "Mo., 07.12.2026 09:30\r\nZahnarzt");

    const TrayStatus status = composeStatus(decision.row, &*decision.detail, 0);
    EXPECT_EQ(status.iconId, IDI_ON);
    EXPECT_EQ(status.tooltip, "Termin:\r\nMo., 07.12.2026 09:30\r\nZahnarzt");
}

TEST_F(Scheduler, TooltipTexts) {
    EXPECT_EQ(composeStatus(StatusOff, nullptr, 0), (TrayStatus{IDI_OFF, "Zodora ist aus"}));
    EXPECT_EQ(composeStatus(StatusDue, nullptr, 0), (TrayStatus{IDI_DUE, "du musst los"}));

    // An empty text leaves the trailing line break.
    const std::string empty = appointmentDetail(Appointment{now + 7200, "", {}}, sunday1430Date);
    EXPECT_EQ(composeStatus(StatusOn, &empty, 0).tooltip, "Termin:\r\nht., 06.12.2026 16:30\r\n");

    // 32 characters of frame leave 31 of the text.
    const std::string longText(70, 'x');
    const std::string detail =
        appointmentDetail(Appointment{monday0930, longText, {}}, sunday1430Date);
    const std::string tooltip = composeStatus(StatusWithinHour, &detail, 0).tooltip;
    EXPECT_EQ(tooltip.size(), 63u);
    EXPECT_EQ(tooltip, "Termin:\r\nMo., 07.12.2026 09:30\r\n" + std::string(31, 'x'));

    const std::string exact =
        appointmentDetail(Appointment{monday0930, std::string(31, 'y'), {}}, sunday1430Date);
    EXPECT_EQ(composeStatus(StatusOn, &exact, 0).tooltip.size(), 63u);
}

TEST_F(Scheduler, SnoozeOverridesEveryRow) {
    const std::string detail = "irgendwas";
    const TrayStatus snoozed{IDI_SNOOZED, "Termin mit Schlummertaste weggedr\xfc"
                                          "ckt"};
    for (int row = 0; row < 8; ++row) {
        EXPECT_EQ(composeStatus(StatusRow(row), nullptr, 1), snoozed);
        EXPECT_EQ(composeStatus(StatusRow(row), &detail, 2), snoozed);
    }
    EXPECT_EQ(composeStatus(StatusOff, nullptr, 0).iconId, IDI_OFF);
    EXPECT_EQ(composeStatus(StatusOff, nullptr, -1).iconId, IDI_OFF); // only > 0 counts
}

TEST_F(Scheduler, AlarmRecordCopiesSettings) {
    settings_.alarmend = 2;
    settings_.alarmrepeat = 7;
    settings_.alarmpos = 3;
    settings_.playsound = true;
    settings_.repeatsound = true;
    const AlarmRecord record = makeAlarmRecord(Appointment{monday0930, "Zahnarzt", {}}, settings_);
    EXPECT_EQ(record.alarmTime, monday0930);
    EXPECT_EQ(record.text, "Zahnarzt");
    EXPECT_EQ(record.reminderNumber, 1);
    EXPECT_EQ(record.autoEndMinutes, 2);
    EXPECT_EQ(record.snoozeMinutes, 7);
    EXPECT_EQ(record.position, 3);
    EXPECT_TRUE(record.playSound);
    EXPECT_TRUE(record.repeatSound);
    // Each sound flag goes to its own field.
    settings_.repeatsound = false;
    const AlarmRecord once = makeAlarmRecord(Appointment{monday0930, "Zahnarzt", {}}, settings_);
    EXPECT_TRUE(once.playSound);
    EXPECT_FALSE(once.repeatSound);
}

// After sleep all that is due alarms at once: up to now + offset, nothing later.
TEST_F(Scheduler, CountDueIncludesTheOffsetAndNothingLater) {
    for (const TimeValue at : {now - 3 * 86400, now - 60, now - 60, now + 300, now + 301}) {
        book_.insert(at, "");
    }
    for (const auto& [offset, due] : {std::pair{0, 3}, {-1, 3}, {5, 4}, {6, 5}}) {
        EXPECT_EQ(countDue(book_, now, offset), due) << "offset " << offset;
    }
}

TEST_F(Scheduler, AlarmStatesAndMenuLabel) {
    EXPECT_STREQ(toggleMenuLabel(AlarmOff), "Zodora EIN");
    EXPECT_STREQ(toggleMenuLabel(AlarmSleeping), "Zodora AUS");
    EXPECT_STREQ(toggleMenuLabel(11), "Zodora AUS");
    EXPECT_FALSE(alarmIsRunning(AlarmSleeping));
    EXPECT_TRUE(alarmIsRunning(2));
    EXPECT_TRUE(alarmIsOn(AlarmSleeping));
    EXPECT_FALSE(alarmIsOn(AlarmOff));
}

} // namespace
