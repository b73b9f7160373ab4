// The running reminder: the state of one run (settings, book, alarm state, tray
// icon, main window) and what the windows do with it. Created by the entry,
// reached by the main window through its window data, and touched only on the
// user-interface thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/alarm_window.h"
#include "app/scheduler.h"
#include "core/appointment_book.h"
#include "core/settings.h"
#include "store/appointment_store.h"
#include "store/services.h"
#include "tray/csytemtry.h"

constexpr UINT_PTR TICK_TIMER_ID = 11;
constexpr UINT TICK_INTERVAL_MS = 10000;
// The appointment file is looked at as often, whether the alarm is on or not.
constexpr UINT_PTR FILE_TIMER_ID = 12;
constexpr UINT FILE_INTERVAL_MS = 10000;

constexpr UINT MSG_TRAY_NOTIFY = WM_APP + 10; // 32778
constexpr UINT MSG_TRAY_MENU = WM_APP + 11;   // 32779
// Posted to the main window when appointments missed while the program was not
// running turn up after start-up (a file that could only be read late).
constexpr UINT MSG_SHOW_MISSED = WM_APP + 12;
// Posted to the main window after sleep or a change of the clock: every
// appointment that fell due meanwhile alarms at once.
constexpr UINT MSG_CATCH_UP = WM_APP + 13;
static_assert(MSG_TRAY_MENU == TrayIcon::MENU_MESSAGE);

constexpr char PROGRAM_TITLE[] = "Quarv Zodora";

// The platform calls of the windows the program makes: the program uses the
// system's own, tests hand in recorders.
struct WindowCalls {
    AlarmWindowCalls alarm;
    TrayShell shell;
};

class Program final : public AlarmHost {
  public:
    Program(HINSTANCE module, Services& platform, WindowCalls calls = {});
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // --- start-up ---------------------------------------------------------------

    // The hidden main window, which reaches this object through its window data;
    // false when it cannot be made.
    bool createMainWindow();
    // The notification-area icon on the main window; false when it cannot be made.
    bool createTray();
    // The tick timer when the alarm is to be on after start; false when it is to
    // be on and no timer could be had.
    bool startAlarm();

    // --- the appointment file ------------------------------------------------------

    // Start-up: the file's future appointments into the book, its past ones into
    // `missed` (none with "deleteold"). An administrator's start gives the file
    // shared by all users the rights that let every user write it.
    void loadBook(AppointmentBook& missed);
    // Looks at the file every ten seconds from now on (FILE_TIMER_ID).
    bool watchFile();
    // Follows the file: merges what other programs changed, reads a file that
    // could not be read before, and saves again what could not be saved.
    void followFile();
    // Shows the missed appointments that followFile found, unless they are on
    // screen already.
    void showPendingMissed();
    // The last save at the end; false when the book could not be saved.
    bool saveAtExit();
    // The file the book is kept in; empty while no folder is known for it.
    std::string appointmentFilePath() const;

    // --- what the main window carries out ---------------------------------------

    // Looks at the earliest appointment: shows its status, sleeps on an empty book,
    // or opens the alarm window of a due appointment and saves the book.
    void tick();
    // After sleep or a change of the clock (MSG_CATCH_UP), with the alarm running:
    // every appointment due now alarms, each in its own window and once; with none
    // due, a tick shows the status.
    void catchUp();
    // Menu command 40001: Off to Running, Running or Sleeping to Off.
    void toggleAlarm();
    // One of the five menu commands; false for any other identifier.
    bool command(WORD id);
    // The tray's menu is about to open: item 40001 names what choosing it does.
    void prepareMenu(HMENU menu) const;
    // Posts WM_TIMER to the main window when the alarm is running, so that the
    // status (or a due alarm) follows at once instead of within ten seconds.
    void requestImmediateTick();

    // Writes the book to the appointment file, merged with what other programs
    // changed there; the book then holds the merge.
    void saveBook();
    // After the book changed outside the tick: wakes a sleeping alarm when the
    // book is no longer empty (new tick timer), then asks for an immediate tick.
    void wakeAfterBookChange();

    // Sets the tray icon and tooltip to a status row, or to the snooze row while
    // an alarm window is snoozed. With a detail, the tooltip names it.
    void showStatus(StatusRow row, const std::string* detail = nullptr);
    // What showStatus last gave the tray.
    const TrayStatus& shownStatus() const { return shown_; }
    // A status icon at the small-icon size of the notification area's DPI.
    HICON statusIcon(int iconId) const;
    // The display scale changed (dpi: the main window's new DPI) or the taskbar
    // came back: the shown status icon is loaded again at the small-icon size of
    // dpi, and so is every later one.
    void reloadTrayIcon(int dpi);

    // --- the run's state ----------------------------------------------------------

    HINSTANCE instance;
    Services& services;
    Settings settings;
    AppointmentBook book;
    std::uint32_t alarmTimer = AlarmOff;
    std::int32_t snoozeCount = 0;
    std::unique_ptr<TrayIcon> tray;
    HWND mainWindow = nullptr;

  private:
    // AlarmHost: what the alarm windows report.
    void alarmSnoozed() override;
    void alarmReturned() override;
    void alarmTimerFired() override;
    LocalDate today() const override;
    const AlarmWindowCalls& alarmWindowCalls() const override { return calls_.alarm; }

    // False when no alarm window could be made: the appointment stays in the book.
    bool raiseAlarm();
    // Once per user, the first start shows a balloon from the tray icon saying how
    // to keep the icon in sight.
    void showFirstStartTip();
    void quit();
    // The store of the file that the settings name, made when first needed;
    // nullptr while no folder is known for it.
    AppointmentStore* store();

    // The dialogs of the menu, one at a time (see runMenuDialog).
    void openAppointmentList();
    void openConfiguration();
    template <typename Dialog> void runMenuDialog(Dialog dialog);

    WindowCalls calls_;
    TrayStatus shown_;
    std::unique_ptr<AppointmentStore> store_;
    // What the file brought in late that was missed, and whether it is on screen.
    AppointmentBook pendingMissed_;
    bool missedShown_ = false;
    // While the appointment list is open: what the program alarmed meanwhile.
    bool listOpen_ = false;
    std::vector<AppointmentId> alarmedWhileListOpen_;
    // The DPI the notification area shows icons at: 0 until a change was
    // reported, then the main window's DPI counts.
    int trayDpi_ = 0;
    bool menuDialogOpen_ = false;
};
