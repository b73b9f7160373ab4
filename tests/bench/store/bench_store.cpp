// Times loading and saving the appointment file of 100,000 and 1,000,000 appointments
// (file to book to file) through a file system in memory, and prints how it grows.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "core/calendar.h"
#include "core/clock.h"
#include "store/appointment_file.h"
#include "tests/support/appointment_files.h"
#include "tests/bench/steady_heap.h"
#include "tests/support/memory_file_system.h"

namespace {

// CPU time of this thread, page faults included: other processes on a busy machine do
// not count.
double cpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// A saved book in memory, so that the disk's speed does not blur how the work grows.
// Its times lie far in the future: the load keeps every appointment and never saves.
struct Case {
    explicit Case(int appointments) : count(appointments) {
        settings.userdata = true;
        AppointmentBook book;
        const TimeValue start = fileKeyToTime("9001010800");
        for (int i = 0; i < count; ++i) {
            book.insert(start + 60 * static_cast<TimeValue>(i),
                        "Termin Nummer " + std::to_string(i) + " mit Text");
        }
        if (!saveAppointments(files, settings, book)) {
            std::fprintf(stderr, "bench_store: the first save failed\n");
            std::exit(1);
        }
    }

    // Milliseconds of CPU time of one load and one save.
    double loadSave() {
        const double begin = cpuMs();
        AppointmentBook book;
        AppointmentBook missed;
        const bool loaded =
            loadAppointments(files, settings, systemClock().currentTime(), book, missed);
        const bool saved = saveAppointments(files, settings, book);
        const double end = cpuMs();
        if (!loaded || !saved || book.count() != count) {
            std::fprintf(stderr, "bench_store: load or save failed at %d\n", count);
            std::exit(1);
        }
        return end - begin;
    }

    std::size_t bytes() const {
        return files.file(files.userFolder() + "\\quarvwecker.xml")->size();
    }

    int count;
    MemoryFileSystem files;
    Settings settings;
};

} // namespace

int main() {
    keepFreedMemory();

    Case small(100'000);
    Case large(1'000'000);
    // The two sizes take turns, so that a busy spell of the machine falls on both, and
    // the fastest of the runs counts: the machine's noise only ever adds time.
    constexpr int ROUNDS = 7;
    double smallMs = 1e300;
    double largeMs = 1e300;
    for (int round = 0; round < ROUNDS; ++round) {
        smallMs = std::min(smallMs, small.loadSave());
        largeMs = std::min(largeMs, large.loadSave());
    }
    std::printf("load_save of 100,000 appointments (%zu bytes): %.1f ms, fastest of %d\n",
                small.bytes(), smallMs, ROUNDS);
    std::printf("load_save of 1,000,000 appointments (%zu bytes): %.1f ms, fastest of %d\n",
                large.bytes(), largeMs, ROUNDS);
    std::printf("load_save_1m_vs_100k %.3f\n", largeMs / smallMs);
    return 0;
}
