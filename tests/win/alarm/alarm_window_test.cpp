// The alarm window from its real template, driven with its commands and timers.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/alarm_window.h"
#include "app/alarm_window_ids.h"
#include "res/resource.h"
#include "tests/support/program_fixture.h"

namespace {

constexpr DWORD SOUND_ONCE = 0x10081; // SND_ALIAS | SND_APPLICATION | SND_ASYNC
constexpr DWORD SOUND_LOOP = 0x10089; // and SND_LOOP

auto& sounds = PlatformRecorder::sounds;
auto& timers = PlatformRecorder::timers;

bool isTopmost(HWND window) {
    return (GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

POINT topLeft(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return {rect.left, rect.top};
}

AlarmRecord dentist() {
    AlarmRecord record;
    record.alarmTime = fileKeyToTime("3003150930");
    record.text = "Zahnarzt Dr. Müller & Söhne";
    record.snoozeMinutes = 5;
    return record;
}

// The alarm windows of a program whose main window only counts the ticks they ask for.
class AlarmWindowTest : public ProgramFixture {
  protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        swallowTicks(true);
    }

    // Opens and shows a window as the tick does.
    HWND open(const AlarmRecord& record) {
        HWND window = openAlarmWindow(program->instance, program->mainWindow, record, *program);
        EXPECT_NE(window, nullptr);
        showAlarmWindow(window);
        pumpMessages();
        return window;
    }

    // The status row the tray was given last (each row has its own icon).
    int shownRow() const {
        for (std::size_t row = 0; row < STATUS_TABLE.size(); ++row) {
            if (STATUS_TABLE[row].iconId == program->shownStatus().iconId) {
                return static_cast<int>(row);
            }
        }
        return -1;
    }

    static void clickAndPump(HWND window, int id) {
        clickNow(window, id);
        pumpMessages();
    }

    static void fireTimer(HWND window, UINT_PTR id) {
        PostMessageA(window, WM_TIMER, id, 0);
        pumpMessages();
    }

    static void snoozeWith(HWND window, const char* minutes) {
        SetDlgItemTextA(window, IDC_ALARM_SNOOZE_MINUTES, minutes);
        clickAndPump(window, IDCANCEL);
    }
};

// --- the template -------------------------------------------------------------

struct ExpectedControl {
    int id; // -1 for the labels and the frame
    const char* className;
    const char* text; // nullptr where initialisation writes the text
    RECT units;       // x, y, width, height in dialog units
};

TEST_F(AlarmWindowTest, TheTemplateHasEveryControlAtItsPlaceInOrder) {
    HWND window = open(dentist());
    EXPECT_EQ(windowText(window), "Quarv Vurive - Termin");

    RECT client{0, 0, 186, 87};
    MapDialogRect(window, &client);
    RECT actualClient{};
    GetClientRect(window, &actualClient);
    EXPECT_EQ(actualClient.right, client.right);
    EXPECT_EQ(actualClient.bottom, client.bottom);
    EXPECT_NE(GetWindowLongPtrA(window, GWL_STYLE) & WS_SYSMENU, 0); // the close box

    const ExpectedControl expected[] = {
        {IDC_ALARM_REMINDER_LABEL, "Static", "Erinnerung", {9, 8, 35, 8}},
        {IDC_ALARM_REMINDER_NUMBER, "Static", nullptr, {48, 8, 14, 8}},
        {IDC_ALARM_REPEAT_FLAG, "Static", "Note", {163, 7, 16, 8}},
        {IDCANCEL, "Button", "Erneut erinnern", {7, 19, 54, 14}},
        {-1, "Static", "in", {66, 22, 8, 8}},
        {IDC_ALARM_SNOOZE_SPIN, "msctls_updown32", nullptr, {75, 18, 11, 17}},
        {-1, "Static", "Minuten", {111, 22, 26, 8}}, // names the edit after it
        {IDC_ALARM_SNOOZE_MINUTES, "Edit", nullptr, {88, 19, 19, 14}},
        {-1, "Button", "", {7, 34, 172, 28}},
        {-1, "Static", "Termin:", {10, 41, 24, 8}},
        {IDC_ALARM_TEXT, "Static", nullptr, {38, 41, 139, 8}},
        {IDC_ALARM_TIME, "Static", nullptr, {37, 51, 140, 8}},
        {IDC_ALARM_SOUND_OFF, "Button", "Sound aus", {41, 66, 50, 14}},
        {IDC_ALARM_DONE_WITH_SOUND, "Button", "Erledigt", {94, 66, 50, 14}},
        {IDOK, "Button", "Erledigt", {67, 66, 50, 14}},
    };
    HWND control = GetWindow(window, GW_CHILD);
    for (const ExpectedControl& want : expected) {
        ASSERT_NE(control, nullptr) << "missing control " << want.id;
        char className[64] = {};
        GetClassNameA(control, className, sizeof className);
        EXPECT_STRCASEEQ(className, want.className) << want.id;
        EXPECT_EQ(GetDlgCtrlID(control), want.id) << className;
        if (want.text != nullptr) {
            EXPECT_EQ(windowText(control), want.text) << want.id;
        }
        // Each of x, y, width and height is converted on its own, as the dialog
        // manager does.
        RECT units = want.units;
        MapDialogRect(window, &units);
        RECT placed{};
        GetWindowRect(control, &placed);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&placed), 2);
        EXPECT_EQ(placed.left, units.left) << want.id << " " << want.text;
        EXPECT_EQ(placed.top, units.top) << want.id;
        if (want.id != IDC_ALARM_SNOOZE_SPIN) { // an up-down control picks its own width
            EXPECT_EQ(placed.right - placed.left, units.right) << want.id;
        }
        EXPECT_EQ(placed.bottom - placed.top, units.bottom) << want.id;
        control = GetWindow(control, GW_HWNDNEXT);
    }
    EXPECT_EQ(control, nullptr) << "more controls than the template names";

    EXPECT_FALSE(itemShown(window, IDC_ALARM_REPEAT_FLAG));
    EXPECT_EQ(GetWindowLongPtrA(GetDlgItem(window, IDOK), GWL_STYLE) & 0x0F, BS_DEFPUSHBUTTON);
    const LONG_PTR spinStyle =
        GetWindowLongPtrA(GetDlgItem(window, IDC_ALARM_SNOOZE_SPIN), GWL_STYLE);
    EXPECT_EQ(spinStyle & (UDS_SETBUDDYINT | UDS_ARROWKEYS), UDS_SETBUDDYINT | UDS_ARROWKEYS);
}

// --- initialisation and the two button sets -----------------------------------

TEST_F(AlarmWindowTest, WithoutSoundOnlyTheCentredDoneButtonIsShownAndNothingPlays) {
    AlarmRecord record = dentist();
    HWND window = open(record);

    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(isTopmost(window));
    EXPECT_TRUE(itemShown(window, IDOK));
    EXPECT_FALSE(itemShown(window, IDC_ALARM_SOUND_OFF));
    EXPECT_FALSE(itemShown(window, IDC_ALARM_DONE_WITH_SOUND));
    EXPECT_TRUE(sounds.empty());

    // The user's "&" stays a character, not a mnemonic.
    EXPECT_EQ(itemText(window, IDC_ALARM_TEXT), "Zahnarzt Dr. Müller & Söhne");
    EXPECT_NE(GetWindowLongPtrA(GetDlgItem(window, IDC_ALARM_TEXT), GWL_STYLE) & SS_NOPREFIX, 0);
    EXPECT_EQ(itemText(window, IDC_ALARM_TIME), timeToDisplay(record.alarmTime, clock.today()));
    EXPECT_EQ(itemText(window, IDC_ALARM_TIME), "Fr., 15.03.2030 09:30");

    // A first showing has no reminder line.
    EXPECT_EQ(itemText(window, IDC_ALARM_REMINDER_NUMBER), "1");
    EXPECT_FALSE(itemShown(window, IDC_ALARM_REMINDER_NUMBER));
    EXPECT_FALSE(itemShown(window, IDC_ALARM_REMINDER_LABEL));

    EXPECT_EQ(itemText(window, IDC_ALARM_SNOOZE_MINUTES), "5");
    HWND spin = GetDlgItem(window, IDC_ALARM_SNOOZE_SPIN);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(spin, UDM_GETBUDDY, 0, 0)),
              GetDlgItem(window, IDC_ALARM_SNOOZE_MINUTES));
    int lower = 0, upper = 0;
    SendMessageA(spin, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lower),
                 reinterpret_cast<LPARAM>(&upper));
    EXPECT_EQ(lower, 1);
    EXPECT_EQ(upper, 60);
    EXPECT_TRUE(timers.empty()) << "alarmend 0 arms no automatic end";

    clickAndPump(window, IDOK);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(sounds.empty());
}

TEST_F(AlarmWindowTest, WithSoundBothButtonsAreShownAndTheSoundPlaysOnceOrLooping) {
    for (const bool repeat : {false, true}) {
        sounds.clear();
        AlarmRecord record = dentist();
        record.playSound = true;
        record.repeatSound = repeat;
        HWND window = open(record);

        EXPECT_FALSE(itemShown(window, IDOK));
        EXPECT_TRUE(itemShown(window, IDC_ALARM_SOUND_OFF));
        EXPECT_TRUE(itemShown(window, IDC_ALARM_DONE_WITH_SOUND));
        EXPECT_EQ(itemText(window, IDC_ALARM_REPEAT_FLAG), repeat ? "1" : "0");
        ASSERT_EQ(sounds.size(), 1u);
        EXPECT_FALSE(sounds[0].stop);
        EXPECT_EQ(sounds[0].alias, "QW_Alarm");
        EXPECT_EQ(sounds[0].module, nullptr);
        EXPECT_EQ(sounds[0].flags, repeat ? SOUND_LOOP : SOUND_ONCE);

        // "Sound aus" silences and leaves the window as it is.
        clickAndPump(window, IDC_ALARM_SOUND_OFF);
        ASSERT_EQ(sounds.size(), 2u);
        EXPECT_TRUE(sounds[1].stop);
        EXPECT_EQ(sounds[1].flags, static_cast<DWORD>(SND_ASYNC));
        EXPECT_TRUE(IsWindowVisible(window));
        EXPECT_TRUE(itemShown(window, IDC_ALARM_SOUND_OFF));

        clickAndPump(window, IDC_ALARM_DONE_WITH_SOUND);
        EXPECT_FALSE(IsWindow(window));
        ASSERT_EQ(sounds.size(), 3u);
        EXPECT_TRUE(sounds[2].stop);
    }
}

TEST_F(AlarmWindowTest, AReminderNumberAboveOneShowsTheReminderLine) {
    AlarmRecord record = dentist();
    record.reminderNumber = 3;
    HWND window = open(record);
    EXPECT_EQ(itemText(window, IDC_ALARM_REMINDER_NUMBER), "3");
    EXPECT_TRUE(itemShown(window, IDC_ALARM_REMINDER_NUMBER));
    EXPECT_TRUE(itemShown(window, IDC_ALARM_REMINDER_LABEL));
}

// The arithmetic is tested natively; here, that it works on the real screen.
TEST_F(AlarmWindowTest, ThePositionSettingPlacesTheWindowOnTheScreen) {
    const int W = GetSystemMetrics(SM_CXSCREEN);
    const int H = GetSystemMetrics(SM_CYSCREEN);
    for (const int position : {2, 6, 9}) {
        AlarmRecord record = dentist();
        record.position = position;
        HWND window = open(record);
        RECT rect{};
        GetWindowRect(window, &rect);
        const int w = rect.right - rect.left, h = rect.bottom - rect.top;
        const POINT expected = position == 2   ? POINT{W - w - 20, (H - h) / 2}
                               : position == 6 ? POINT{20, H - h - 20}
                                               : POINT{(W - w) / 2, (H - h) / 2};
        EXPECT_EQ(rect.left, expected.x) << "position " << position;
        EXPECT_EQ(rect.top, expected.y) << "position " << position;
        EXPECT_TRUE(isTopmost(window));
        DestroyWindow(window);
    }
}

// --- quiet while the user presents ------------------------------------------------

// Presenting, a full-screen program or game: the window opens behind the window
// in front, without the foreground and without sound, its automatic end waits,
// and every look keeps it there. Once the moment has passed it comes to the
// front and rings, and its automatic end counts. (Every other moment: the table
// of holdsAlarmQuiet.)
TEST_F(AlarmWindowTest, HeldQuietWhileTheUserPresentsAndRingingWhenThatEnds) {
    for (const auto moment : {QUNS_PRESENTATION_MODE, QUNS_BUSY, QUNS_RUNNING_D3D_FULL_SCREEN}) {
        const HWND front = CreateWindowExA(0, "Static", "Folien", WS_POPUP | WS_VISIBLE, 0, 0, 640,
                                           480, nullptr, nullptr, nullptr, nullptr);
        SetForegroundWindow(front);
        sounds.clear();
        timers.clear();
        PlatformRecorder::moment = moment;
        AlarmRecord record = dentist();
        record.playSound = true;
        record.autoEndMinutes = 2;
        const HWND window = open(record);
        EXPECT_TRUE(IsWindowVisible(window));
        EXPECT_FALSE(isTopmost(window));
        EXPECT_EQ(GetForegroundWindow(), front);
        ASSERT_EQ(timers.size(), 1u) << "the looks at the moment, no automatic end";
        EXPECT_EQ(timers[0].id, QUIET_TIMER_ID);

        fireTimer(window, QUIET_TIMER_ID); // still presenting
        EXPECT_EQ(GetWindow(front, GW_HWNDNEXT), window) << "right behind the front";
        EXPECT_TRUE(sounds.empty());

        PlatformRecorder::moment = QUNS_ACCEPTS_NOTIFICATIONS;
        fireTimer(window, QUIET_TIMER_ID);
        EXPECT_TRUE(isTopmost(window));
        EXPECT_EQ(GetForegroundWindow(), window);
        ASSERT_EQ(sounds.size(), 1u);
        EXPECT_EQ(sounds[0].flags, SOUND_ONCE);
        ASSERT_EQ(timers.size(), 2u);
        EXPECT_EQ(timers[1].id, AUTO_END_TIMER_ID);
        EXPECT_EQ(timers[1].elapse, 120000u);
        DestroyWindow(window);
        DestroyWindow(front);
    }
    // A snooze that ends during the presentation comes back quietly.
    PlatformRecorder::moment = QUNS_PRESENTATION_MODE;
    const HWND window = open(dentist());
    snoozeWith(window, "3");
    fireTimer(window, SNOOZE_TIMER_ID);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(isTopmost(window));
    EXPECT_EQ(timers.back().id, QUIET_TIMER_ID);
}

// --- snooze and return ----------------------------------------------------------

TEST_F(AlarmWindowTest, SnoozeHidesTheWindowForTheTypedMinutesAndNotAnyNumberForOne) {
    struct Case {
        const char* typed;
        UINT elapse;
    };
    for (const Case& c : {Case{"7", 420000}, Case{"", 60000}, Case{"abc", 60000}, Case{"0", 60000},
                          Case{"99999999999", 2147460000}}) {
        program->snoozeCount = 0;
        timers.clear();
        HWND window = open(dentist());
        snoozeWith(window, c.typed);
        ASSERT_EQ(timers.size(), 1u) << '"' << c.typed << '"';
        EXPECT_EQ(timers[0].window, window);
        EXPECT_EQ(timers[0].id, SNOOZE_TIMER_ID);
        EXPECT_EQ(timers[0].elapse, c.elapse) << '"' << c.typed << '"';
        EXPECT_FALSE(IsWindowVisible(window));
        EXPECT_TRUE(IsWindow(window));
        EXPECT_EQ(program->snoozeCount, 1);
        EXPECT_EQ(shownRow(), StatusSnoozed);
        EXPECT_TRUE(sounds.empty()) << "a window without sound stops nothing";
        DestroyWindow(window);
    }
}

TEST_F(AlarmWindowTest, TheCloseBoxSnoozesAndASnoozedWindowIsCountedOnce) {
    HWND window = open(dentist());
    SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    pumpMessages();
    EXPECT_TRUE(IsWindow(window));
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(program->snoozeCount, 1);

    // Another close request while hidden changes nothing.
    SendMessageA(window, WM_CLOSE, 0, 0);
    pumpMessages();
    EXPECT_EQ(program->snoozeCount, 1);
    EXPECT_EQ(timers.size(), 1u);

    fireTimer(window, SNOOZE_TIMER_ID);
    EXPECT_EQ(program->snoozeCount, 0);
}

TEST_F(AlarmWindowTest, ReturnCountsTheShowingNudgesTowardsTheMiddleAndResumesTheSound) {
    AlarmRecord record = dentist();
    record.position = 4; // top left: (20, 20)
    record.playSound = true;
    record.repeatSound = true;
    HWND window = open(record);
    ASSERT_EQ(topLeft(window).x, 20);
    ASSERT_EQ(topLeft(window).y, 20);

    clickAndPump(window, IDC_ALARM_SOUND_OFF);
    sounds.clear();
    snoozeWith(window, "3");
    ASSERT_EQ(sounds.size(), 1u);
    EXPECT_TRUE(sounds[0].stop) << "snoozing silences a window with sound";

    fireTimer(window, SNOOZE_TIMER_ID);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(isTopmost(window));
    EXPECT_EQ(program->snoozeCount, 0);
    EXPECT_TRUE(itemShown(window, IDC_ALARM_REMINDER_LABEL));
    EXPECT_TRUE(itemShown(window, IDC_ALARM_REMINDER_NUMBER));
    EXPECT_EQ(itemText(window, IDC_ALARM_REMINDER_NUMBER), "2");
    EXPECT_EQ(topLeft(window).x, 40);
    EXPECT_EQ(topLeft(window).y, 40);
    ASSERT_EQ(sounds.size(), 2u);
    EXPECT_EQ(sounds[1].alias, "QW_Alarm");
    EXPECT_EQ(sounds[1].flags, SOUND_LOOP) << "the sound returns even after \"Sound aus\"";
    EXPECT_EQ(itemText(window, IDC_ALARM_SNOOZE_MINUTES), "3") << "the typed length stays";

    snoozeWith(window, "3");
    fireTimer(window, SNOOZE_TIMER_ID);
    EXPECT_EQ(itemText(window, IDC_ALARM_REMINDER_NUMBER), "3");
    EXPECT_EQ(topLeft(window).x, 60);
    EXPECT_EQ(topLeft(window).y, 60);
}

TEST_F(AlarmWindowTest, AWindowAtTheBottomRightStepsLeftAndUp) {
    AlarmRecord record = dentist();
    record.position = 3;
    record.playSound = true; // plays once: the repeat flag holds 0
    HWND window = open(record);
    const POINT before = topLeft(window);
    snoozeWith(window, "1");
    sounds.clear();
    fireTimer(window, SNOOZE_TIMER_ID);
    EXPECT_EQ(topLeft(window).x, before.x - 20);
    EXPECT_EQ(topLeft(window).y, before.y - 20);
    ASSERT_EQ(sounds.size(), 1u);
    EXPECT_EQ(sounds[0].flags, SOUND_ONCE);
}

TEST_F(AlarmWindowTest, TwoSnoozedWindowsKeepTheSnoozeRowUntilBothAreBack) {
    HWND first = open(dentist());
    HWND second = open(dentist());
    snoozeWith(first, "5");
    snoozeWith(second, "10");
    EXPECT_EQ(program->snoozeCount, 2);
    EXPECT_EQ(shownRow(), StatusSnoozed);

    fireTimer(first, SNOOZE_TIMER_ID); // the alarm is off: the window asks for row 0
    EXPECT_EQ(program->snoozeCount, 1);
    EXPECT_EQ(shownRow(), StatusSnoozed);
    EXPECT_TRUE(IsWindowVisible(first));
    EXPECT_FALSE(IsWindowVisible(second));

    fireTimer(second, SNOOZE_TIMER_ID);
    EXPECT_EQ(program->snoozeCount, 0);
    EXPECT_EQ(shownRow(), StatusOff);
}

TEST_F(AlarmWindowTest, WithoutASnoozeTimerTheWindowStaysShownAndUncounted) {
    HWND other = open(dentist());
    snoozeWith(other, "5");
    ASSERT_EQ(program->snoozeCount, 1);
    program->showStatus(StatusOn);

    PlatformRecorder::refusedTimer = SNOOZE_TIMER_ID;
    AlarmRecord record = dentist();
    record.playSound = true;
    HWND window = open(record);
    sounds.clear();
    snoozeWith(window, "5");
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(program->snoozeCount, 1);
    ASSERT_EQ(sounds.size(), 1u);
    EXPECT_TRUE(sounds[0].stop) << "the answer silences the alarm all the same";

    // A stray end-of-snooze message for the shown window changes nothing.
    fireTimer(window, SNOOZE_TIMER_ID);
    EXPECT_EQ(program->snoozeCount, 1);
    EXPECT_EQ(itemText(window, IDC_ALARM_REMINDER_NUMBER), "1");
}

// --- automatic end ------------------------------------------------------------

TEST_F(AlarmWindowTest, AutomaticEndClosesTheWindowAndStopsItsSound) {
    AlarmRecord record = dentist();
    record.autoEndMinutes = 2;
    record.playSound = true;
    HWND window = open(record);
    ASSERT_EQ(timers.size(), 1u);
    EXPECT_EQ(timers[0].window, window);
    EXPECT_EQ(timers[0].id, AUTO_END_TIMER_ID);
    EXPECT_EQ(timers[0].elapse, 120000u);

    sounds.clear();
    fireTimer(window, AUTO_END_TIMER_ID);
    EXPECT_FALSE(IsWindow(window));
    ASSERT_EQ(sounds.size(), 1u);
    EXPECT_TRUE(sounds[0].stop);
}

// "Beenden" takes the alarm windows with the main window: a ringing one falls
// silent with them, not only when the process is gone.
TEST_F(AlarmWindowTest, AWindowTakenWithTheMainWindowStopsItsSound) {
    AlarmRecord record = dentist();
    record.playSound = true;
    record.repeatSound = true;
    HWND window = open(record);
    sounds.clear();
    SendMessageA(program->mainWindow, WM_COMMAND, IDM_EXIT, 0);
    pumpMessages();
    EXPECT_FALSE(IsWindow(window));
    ASSERT_EQ(sounds.size(), 1u);
    EXPECT_TRUE(sounds[0].stop);
}

// The real timer, armed with 10 ms: a snooze before it fires cancels it.
TEST_F(AlarmWindowTest, ASnoozeCancelsTheAutomaticEnd) {
    PlatformRecorder::quickTimer = AUTO_END_TIMER_ID;
    AlarmRecord record = dentist();
    record.autoEndMinutes = 1;

    HWND ending = openAlarmWindow(program->instance, program->mainWindow, record, *program);
    HWND snoozed = openAlarmWindow(program->instance, program->mainWindow, record, *program);
    // No message is dispatched before the snooze, so the timer cannot have fired.
    SendMessageA(snoozed, WM_COMMAND, IDCANCEL, 0);
    ASSERT_EQ(program->snoozeCount, 1);

    const DWORD start = GetTickCount();
    while (IsWindow(ending) && GetTickCount() - start < 20000) {
        pumpMessages();
        Sleep(5);
    }
    ASSERT_FALSE(IsWindow(ending)) << "the automatic end never came";
    // The window's timer would have fired as soon as its twin's did.
    for (int i = 0; i < 20; ++i) {
        pumpMessages();
        Sleep(5);
    }
    EXPECT_TRUE(IsWindow(snoozed));
}

// --- the tray after every timer -------------------------------------------------

TEST_F(AlarmWindowTest, EveryTimerRefreshesTheTrayByTheAlarmState) {
    HWND window = open(dentist());
    for (const UINT_PTR id : {UINT_PTR{99}, SNOOZE_TIMER_ID}) {
        // Running: a tick follows at once, through the main window.
        program->alarmTimer = TICK_TIMER_ID;
        program->showStatus(StatusDue);
        const std::size_t ticksBefore = tickIds().size();
        fireTimer(window, id);
        ASSERT_EQ(tickIds().size(), ticksBefore + 1) << "timer " << id;
        EXPECT_EQ(tickIds().back(), TICK_TIMER_ID);
        EXPECT_EQ(shownRow(), StatusDue) << "the tick, not the window, sets the status";

        program->alarmTimer = AlarmSleeping;
        fireTimer(window, id);
        EXPECT_EQ(shownRow(), StatusNothingToDo) << "timer " << id;

        program->alarmTimer = AlarmOff;
        fireTimer(window, id);
        EXPECT_EQ(shownRow(), StatusOff) << "timer " << id;
        EXPECT_EQ(tickIds().size(), ticksBefore + 1);
    }
    EXPECT_TRUE(IsWindow(window));

    program->alarmTimer = AlarmSleeping;
    program->showStatus(StatusDue);
    fireTimer(window, AUTO_END_TIMER_ID);
    EXPECT_EQ(shownRow(), StatusNothingToDo);
    EXPECT_FALSE(IsWindow(window));
}

} // namespace
