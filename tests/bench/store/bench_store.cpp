// Times loading and saving the appointment file of 10,000 and 100,000 appointments
// (file to book to file) and prints the medians and how they grow.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/calendar.h"
#include "core/clock.h"
#include "store/appointment_file.h"
#include "tests/support/posix_file_system.h"

namespace {

// Times far in the future, so that the load keeps every appointment and never saves.
AppointmentBook makeBook(int count) {
    AppointmentBook book;
    const TimeValue start = fileKeyToTime("9001010800");
    for (int i = 0; i < count; ++i) {
        book.insert(start + 60 * static_cast<TimeValue>(i),
                    "Termin Nummer " + std::to_string(i) + " mit Text");
    }
    return book;
}

// Median milliseconds of one load and one save of a file with `count` appointments.
double medianLoadSave(FileSystem& files, const Settings& settings, int count, int runs) {
    if (!saveAppointments(files, settings, makeBook(count))) {
        std::fprintf(stderr, "bench_store: the first save failed\n");
        std::exit(1);
    }
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const auto begin = std::chrono::steady_clock::now();
        AppointmentBook book;
        AppointmentBook missed;
        const bool loaded =
            loadAppointments(files, settings, systemClock().currentTime(), book, missed);
        const bool saved = saveAppointments(files, settings, book);
        const auto end = std::chrono::steady_clock::now();
        if (!loaded || !saved || book.count() != count) {
            std::fprintf(stderr, "bench_store: load or save failed at %d\n", count);
            std::exit(1);
        }
        times.push_back(std::chrono::duration<double, std::milli>(end - begin).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qz-bench-XXXXXX").string();
    const std::filesystem::path folder = ::mkdtemp(pattern.data());
    PosixFileSystem files(folder.string(), folder.string());
    Settings settings;
    settings.userdata = true;

    const double small = medianLoadSave(files, settings, 10000, 9);
    const double large = medianLoadSave(files, settings, 100000, 5);
    std::printf("file_bytes_100k %ju\n", static_cast<std::uintmax_t>(std::filesystem::file_size(
                                             folder / "quarvwecker.xml")));
    std::filesystem::remove_all(folder);

    std::printf("load_save_10k_ms %.1f\n", small);
    std::printf("load_save_100k_ms %.1f\n", large);
    std::printf("load_save_100k_vs_10k %.2f\n", large / small);
    return 0;
}
