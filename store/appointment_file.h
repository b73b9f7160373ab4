// The appointment file "quarvwecker.xml" in the application-data folder.
#pragma once

#include "core/appointment_book.h"
#include "core/settings.h"
#include "store/file_system.h"

// Fills the book with the file's appointments after `now` and the missed book with its
// past ones (or drops them when `deleteold`), then rewrites the file without the past
// ones. A past series is missed once, at its last passed occurrence, and stays in the
// book at its next one. False when the file was not read; an unreadable file is kept aside as
// "quarvwecker.xml.bad".
bool loadAppointments(FileSystem& files, const Settings& settings, TimeValue now,
                      AppointmentBook& book, AppointmentBook& missed);

// Writes the whole book over the file, in the folder that `userdata` chooses now. The
// old file stays whole until the new one is complete; true once the new one is in place.
bool saveAppointments(FileSystem& files, const Settings& settings, const AppointmentBook& book);
