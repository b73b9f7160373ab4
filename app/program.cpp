// The running reminder: the tick, the alarm switch, the menu's commands and
// what the alarm windows report.
#include "app/program.h"

#include <new>
#include <utility>

#include "app/first_start_tip.h"
#include "app/main_window.h"
#include "res/resource.h"
#include "ui/appointment_rows.h"
#include "store/data_folder.h"
#include "store/settings_store.h"
#include "ui/dialogs.h"

Program::Program(HINSTANCE module, Services& platform, WindowCalls calls)
    : instance(module), services(platform), calls_(calls) {}

Program::~Program() {
    // A message that still arrives must not find this object.
    forgetProgram(mainWindow, *this);
}

bool Program::createMainWindow() {
    mainWindow = ::createMainWindow(instance, *this);
    return mainWindow != nullptr;
}

bool Program::createTray() {
    tray.reset(new (std::nothrow) TrayIcon(instance, mainWindow, MSG_TRAY_NOTIFY, PROGRAM_TITLE,
                                           statusIcon(IDI_ON), IDM_TRAY, false, calls_.shell));
    if (!tray) {
        return false;
    }
    showFirstStartTip();
    return true;
}

// Remembered only once the shell took the balloon: an icon that could not be
// added yet shows it at a later start.
void Program::showFirstStartTip() {
    if (!firstStartTipShown(services.registry) &&
        tray->showBalloon(FIRST_START_TIP_TITLE, FIRST_START_TIP_TEXT)) {
        rememberFirstStartTip(services.registry);
    }
}

bool Program::startAlarm() {
    if (!settings.onafterstart) {
        alarmTimer = AlarmOff;
        showStatus(StatusOff);
        return true;
    }
    alarmTimer =
        static_cast<std::uint32_t>(SetTimer(mainWindow, TICK_TIMER_ID, TICK_INTERVAL_MS, nullptr));
    if (alarmTimer == AlarmOff) {
        return false;
    }
    showStatus(StatusOn);
    return true;
}

AppointmentStore* Program::store() {
    if (!store_) {
        std::string folder;
        if (!appointmentFolder(services.files, settings, folder)) {
            return nullptr;
        }
        // The file shared by all users, or one in a folder of the user's choice, is
        // shared with other programs: it carries identities and tombstones.
        const bool allUsers = !settings.userdata;
        store_ = std::make_unique<AppointmentStore>(services.files, folder, allUsers,
                                                    allUsers || !settings.datafolder.empty());
    }
    return store_.get();
}

void Program::loadBook(AppointmentBook& missed) {
    AppointmentStore* file = store();
    if (file == nullptr) {
        return;
    }
    file->load(services.clock.currentTime(), settings.deleteold, book, missed);
    // A file that the first user made may still be writable for its maker only.
    if (!settings.userdata && services.account.isAdministrator()) {
        file->shareWithAllUsers();
    }
}

bool Program::watchFile() {
    return SetTimer(mainWindow, FILE_TIMER_ID, FILE_INTERVAL_MS, nullptr) != 0;
}

void Program::followFile() {
    AppointmentStore* file = store();
    if (file == nullptr) {
        return;
    }
    AppointmentBook missed;
    const bool changed = file->sync(book, services.clock.currentTime(), missed);
    if (missed.count() > 0) {
        missed.forEach(
            [this](const Appointment& appointment) { pendingMissed_.insert(appointment); });
        PostMessageA(mainWindow, MSG_SHOW_MISSED, 0, 0);
    }
    if (changed) {
        wakeAfterBookChange();
    }
}

void Program::showPendingMissed() {
    if (missedShown_) {
        return; // the dialog on screen shows the newcomers when it closes
    }
    missedShown_ = true;
    while (pendingMissed_.count() > 0) {
        const AppointmentBook missed = std::exchange(pendingMissed_, AppointmentBook{});
        showMissedAppointments(mainWindow, missed, services.clock.today());
    }
    missedShown_ = false;
}

bool Program::saveAtExit() {
    AppointmentStore* file = store();
    return file != nullptr ? file->save(book, services.clock.currentTime(), Purpose::Exit)
                           : book.count() == 0;
}

std::string Program::appointmentFilePath() const {
    return store_ ? store_->path() : std::string();
}

void Program::tick() {
    const TickDecision decision = decideTick(book, settings, services.clock);
    switch (decision.action) {
    case TickAction::Sleep:
        KillTimer(mainWindow, alarmTimer);
        alarmTimer = AlarmSleeping;
        showStatus(StatusNothingToDo);
        break;
    case TickAction::ShowStatus:
        showStatus(decision.row, decision.detail ? &*decision.detail : nullptr);
        break;
    case TickAction::Alarm:
        raiseAlarm();
        break;
    }
}

void Program::catchUp() {
    if (!alarmIsRunning(alarmTimer)) {
        return;
    }
    int due = countDue(book, services.clock.currentTime(), settings.alarmoffset);
    if (due == 0) {
        tick();
        return;
    }
    // Only what was due when the catch-up began: a series' next occurrence, which
    // an offset longer than its period would make due at once, waits for a tick.
    while (due-- > 0 && decideTick(book, settings, services.clock).action == TickAction::Alarm &&
           raiseAlarm()) {
    }
}

bool Program::raiseAlarm() {
    showStatus(StatusDue);
    const Appointment due = book.earliest();
    const AlarmRecord record = makeAlarmRecord(due, settings);
    // The appointment leaves the book before its window exists and never returns to
    // it, unless there is no window to hold it: then the next tick tries again.
    book.removeEarliest();
    const HWND alarmWindow = openAlarmWindow(instance, mainWindow, record, *this);
    if (alarmWindow == nullptr) {
        book.insert(due);
        return false;
    }
    showAlarmWindow(alarmWindow);
    // A one-off alarmed while the list is open comes back if the list's OK keeps its
    // row. An occurrence of a series does not: its series goes on at the next one,
    // and its row coming back would alarm it again and put that next one in twice.
    if (listOpen_ && !due.recurrence.repeats()) {
        alarmedWhileListOpen_.push_back(due.id);
    }
    // A series goes on at its next occurrence; snoozing and "Erledigt" act on the
    // window alone.
    if (const auto next = nextInSeries(due, services.clock.currentTime())) {
        book.insert(*next);
    }
    saveBook();
    return true;
}

void Program::toggleAlarm() {
    if (alarmTimer == AlarmOff) {
        alarmTimer = static_cast<std::uint32_t>(
            SetTimer(mainWindow, TICK_TIMER_ID, TICK_INTERVAL_MS, nullptr));
        // Without a timer the alarm stays off, and the status says so.
        showStatus(alarmIsOn(alarmTimer) ? StatusOn : StatusOff);
        return;
    }
    if (alarmIsRunning(alarmTimer)) {
        KillTimer(mainWindow, alarmTimer);
    }
    alarmTimer = AlarmOff;
    showStatus(StatusOff);
}

bool Program::command(WORD id) {
    switch (id) {
    case IDM_TOGGLE:
        toggleAlarm();
        return true;
    case IDM_APPOINTMENTS:
        runMenuDialog([this] { openAppointmentList(); });
        return true;
    case IDM_SETTINGS:
        runMenuDialog([this] { openConfiguration(); });
        return true;
    case IDM_EXIT:
        quit();
        return true;
    case IDM_ABOUT:
        runMenuDialog([this] { showAbout(mainWindow); });
        return true;
    default:
        return false;
    }
}

void Program::prepareMenu(HMENU menu) const {
    ModifyMenuA(menu, IDM_TOGGLE, MF_BYCOMMAND | MF_STRING, IDM_TOGGLE,
                toggleMenuLabel(alarmTimer));
}

// The tray's menu and double click still reach the main window while a dialog
// from the menu is open (modal loops dispatch them). One such dialog at a time:
// two appointment lists would each commit their own copy of the book.
template <typename Dialog> void Program::runMenuDialog(Dialog dialog) {
    if (menuDialogOpen_) {
        SetForegroundWindow(GetLastActivePopup(mainWindow));
        return;
    }
    menuDialogOpen_ = true;
    dialog();
    menuDialogOpen_ = false;
}

// OK of the list puts the user's changes of the rows into the book: it is saved, a
// sleeping alarm wakes when there is something to watch again, and the status
// follows at once. What other programs changed in the file while the list was open
// stays changed; a one-off this program alarmed meanwhile comes back as the rows
// show it; a series it moved on meanwhile stays at its next occurrence, unless the
// rows deleted or changed it.
void Program::openAppointmentList() {
    // Every row names its appointment.
    giveIdentities(book);
    AppointmentBook opened = book;
    AppointmentBook rows = book;
    listOpen_ = true;
    alarmedWhileListOpen_.clear();
    CalendarExchange exchange{services.files, settings.alarmoffset};
    const bool committed = editAppointments(mainWindow, rows, services.clock, &exchange);
    listOpen_ = false;
    if (!committed) {
        return;
    }
    // A save while the list was open may have given appointments new identities (a file
    // without identities holds those derived from their content): the rows follow.
    if (store_) {
        store_->followIdentities(opened);
        store_->followIdentities(rows);
        for (AppointmentId& id : alarmedWhileListOpen_) {
            id = store_->currentId(id);
        }
    }
    book = applyListEdits(opened, book, rows, alarmedWhileListOpen_);
    if (AppointmentStore* file = store(); file != nullptr) {
        file->reviveDeleted(book, broughtBack(opened, rows, alarmedWhileListOpen_));
    }
    saveBook();
    wakeAfterBookChange();
}

// The record changed in place on OK, and every reader sees it from now on. When
// the appointment file moved to another folder (another "userdata" or a folder of
// the user's choice), the book joins the file there, merged with what it holds; the
// old file stays where it is.
void Program::openConfiguration() {
    const Settings before = settings;
    const ConfigurationResult result = editSettings(mainWindow, settings, services);
    if (!result.confirmed) {
        return;
    }
    saveSettings(services.registry, settings,
                 result.standardSoundEvent ? &*result.standardSoundEvent : nullptr);
    if (settings.userdata != before.userdata || settings.datafolder != before.datafolder) {
        // The old file is followed once more first: the new one, which may be the same
        // file by another name, joins a book that has what the old one holds now, and
        // nothing that another program removed there since the last look comes back.
        followFile();
        store_.reset();
        saveBook();
        wakeAfterBookChange();
    }
}

void Program::quit() {
    if (tray) {
        tray->hide();
    }
    DestroyWindow(mainWindow);
}

void Program::saveBook() {
    if (AppointmentStore* file = store()) {
        file->save(book, services.clock.currentTime());
    }
}

void Program::requestImmediateTick() {
    if (alarmIsRunning(alarmTimer)) {
        PostMessageA(mainWindow, WM_TIMER, alarmTimer, 0);
    }
}

void Program::wakeAfterBookChange() {
    if (alarmTimer == AlarmSleeping && book.count() > 0) {
        alarmTimer = static_cast<std::uint32_t>(
            SetTimer(mainWindow, TICK_TIMER_ID, TICK_INTERVAL_MS, nullptr));
        if (alarmTimer == AlarmOff) {
            // Without a timer the alarm is off now, and the tray must not go on
            // showing the sleeping alarm's row.
            showStatus(StatusOff);
            return;
        }
    }
    requestImmediateTick();
}

void Program::alarmSnoozed() {
    snoozeCount = snoozeCount > 0 ? snoozeCount + 1 : 1;
    showStatus(StatusSnoozed);
}

void Program::alarmReturned() {
    --snoozeCount;
}

// Every timer of an alarm window brings the tray up to date: a running alarm
// ticks at once, otherwise the status of the alarm state is shown.
void Program::alarmTimerFired() {
    if (alarmIsRunning(alarmTimer)) {
        requestImmediateTick();
    } else {
        showStatus(alarmTimer == AlarmSleeping ? StatusNothingToDo : StatusOff);
    }
}

LocalDate Program::today() const {
    return services.clock.today();
}
