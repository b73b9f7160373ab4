// Times importing an iCalendar file of 10,000 events (read, then planned into an empty
// list) against loading the appointment file of the same 10,000 appointments, both from
// a file system in memory, and prints the ratio.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "core/calendar.h"
#include "store/ical/ical_export.h"
#include "store/ical/ical_import.h"
#include "tests/support/appointment_files.h"
#include "tests/support/memory_file_system.h"

namespace {

double cpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "bench_ical: %s\n", what);
    std::exit(1);
}

constexpr int COUNT = 10'000;

} // namespace

int main() {
    const TimeValue now = systemClock().currentTime();
    // A book as people keep one: mostly single appointments, every tenth a series of
    // each kind in turn, texts with umlauts.
    AppointmentBook book;
    const TimeValue start = now / 3600 * 3600 + 86400;
    for (int i = 0; i < COUNT; ++i) {
        const TimeValue time = start + 3600 * static_cast<TimeValue>(i);
        const auto kind = static_cast<RepeatKind>(i % 10 == 0 ? 1 + i / 10 % 5 : 0);
        const Recurrence rule = makeRecurrence(kind, time);
        book.insert({firstAlarmTime(rule, time),
                     "Termin Nummer " + std::to_string(i) + " beim Zahnarzt Dr. M\xFCller", rule,
                     newAppointmentId()});
    }
    MemoryFileSystem files;
    Settings settings;
    settings.userdata = true;
    if (!saveAppointments(files, settings, book)) {
        fail("the appointment file could not be saved");
    }
    ExportSettings exportSettings;
    exportSettings.zone = systemZoneRules(now);
    if (exportSettings.zone) {
        exportSettings.zone->name = "W. Europe Standard Time";
    }
    exportSettings.alarmOffsetMinutes = 5;
    exportSettings.now = now;
    const std::string icsPath = files.userFolder() + "\\termine.ics";
    files.setFile(icsPath, exportCalendar({book.begin(), book.end()}, exportSettings));

    constexpr int ROUNDS = 7;
    double loadMs = 1e300;
    double importMs = 1e300;
    for (int round = 0; round < ROUNDS; ++round) {
        double begin = cpuMs();
        AppointmentBook loaded;
        AppointmentBook missed;
        if (!loadAppointments(files, settings, now, loaded, missed) || loaded.count() != COUNT) {
            fail("the appointment file did not load");
        }
        loadMs = std::min(loadMs, cpuMs() - begin);

        begin = cpuMs();
        std::string text;
        if (files.readFile(icsPath, text) != FileResult::Ok) {
            fail("the calendar could not be read");
        }
        ImportSettings importSettings;
        importSettings.now = now;
        const ImportPlan plan = planImport(readCalendar(text), {}, importSettings);
        if (plan.added.size() != static_cast<std::size_t>(COUNT)) {
            fail("the calendar did not import whole");
        }
        importMs = std::min(importMs, cpuMs() - begin);
    }
    std::printf("load of %d appointments: %.1f ms, import of as many events (%zu bytes): %.1f ms, "
                "fastest of %d\n",
                COUNT, loadMs, files.file(icsPath)->size(), importMs, ROUNDS);
    std::printf("ics_import_vs_load %.3f\n", importMs / loadMs);
    return 0;
}
