// Loading and saving the appointment file in one call each, for tests, the fuzz target
// and the benchmarks (the running program keeps an AppointmentStore instead).
#pragma once

#include <string>
#include <string_view>

#include "core/settings.h"
#include "store/appointment_file.h"
#include "store/appointment_store.h"
#include "store/data_folder.h"

// Fills the book with the file's appointments after `now` and the missed book with its past
// ones (or drops them when `deleteold`), then rewrites the file without the past ones. False
// when the file was not read.
inline bool loadAppointments(FileSystem& files, const Settings& settings, TimeValue now,
                             AppointmentBook& book, AppointmentBook& missed) {
    std::string folder;
    if (!appointmentFolder(files, settings, folder)) {
        return false;
    }
    const bool allUsers = !settings.userdata;
    AppointmentStore store(files, folder, allUsers, allUsers || !settings.datafolder.empty());
    return store.load(now, settings.deleteold, book, missed);
}

// Writes the whole book over the file, as a file only this program writes, whatever the
// file holds. True once the new file is in place.
inline bool saveAppointments(FileSystem& files, const Settings& settings,
                             const AppointmentBook& book) {
    std::string folder;
    if (!appointmentFolder(files, settings, folder) || !files.createFolder(folder)) {
        return false;
    }
    ReplaceOptions options;
    options.allUsers = !settings.userdata;
    return replaceWholeFile(files, appointmentFilePath(folder), appointmentFileText(book),
                            options) == ReplaceResult::Replaced;
}

// Every usable appointment of a file's text into the book (see readAppointmentFile).
inline bool readAppointmentFileText(std::string_view text, AppointmentBook& appointments) {
    FileContent content;
    if (!readAppointmentFile(text, content)) {
        return false;
    }
    content.appointments.forEach([&](const Appointment& a) { appointments.insert(a); });
    return true;
}
