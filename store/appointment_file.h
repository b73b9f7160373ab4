// The appointment file "quarvwecker.xml": its text, and the safe replace of a
// whole file through the file-system seam.
#pragma once

#include <string>
#include <string_view>

#include "core/appointment_book.h"
#include "core/settings.h"
#include "store/file_system.h"

// "quarvwecker.xml" in the folder.
std::string appointmentFilePath(const std::string& folder);

// The text of the file that holds the book.
std::string appointmentFileText(const AppointmentBook& book);

// Every usable appointment of a file's text, past ones too, into `appointments`, from
// the last in the file to the first. False when the text is no appointment file.
bool readAppointmentFileText(std::string_view text, AppointmentBook& appointments);

// Whether the text goes on to the end of its root element ("</quarvwecker>", then only
// white space). A file cut off (a save that stopped, another program that writes in
// place, a full disk) may still read up to the cut.
bool reachesItsEnd(std::string_view text);

// The whole file, asked again a few times while another process holds it.
FileResult readWholeFile(FileSystem& files, const std::string& path, std::string& text);

enum class ReplaceResult {
    Replaced,
    Failed,        // the old file is as it was
    TargetChanged, // the last look found the file changed: the old one is as it was
};

// What a replace may do besides writing the text.
struct ReplaceOptions {
    bool allUsers = false; // the new file gets the rights of the file shared by all users
    // When set, the file must still have this stamp just before it is replaced.
    const FileStamp* expected = nullptr;
    // When set, receives the stamp of the new file.
    FileStamp* written = nullptr;
};

// Writes the text beside the file first ("quarvwecker.xml.tmp") and puts it in place in
// one step, so that a crash, a power cut or a full disk leaves the old file whole. Two
// programs saving into one folder at once take turns: the temporary file is made only
// where none is.
ReplaceResult replaceWholeFile(FileSystem& files, const std::string& path, std::string_view text,
                               const ReplaceOptions& options = {});

// A temporary file left by a save that did not finish: it replaces a missing file when it
// is complete; otherwise it goes.
void recoverTemporaryFile(FileSystem& files, const std::string& path);

// Fills the book with the file's appointments after `now` and the missed book with its past
// ones (or drops them when `deleteold`), then rewrites the file without the past ones. A
// past series is missed once, at its last passed occurrence, and stays in the book at its
// next one. False when the file was not read; an unreadable file is kept aside
// (AppointmentStore).
bool loadAppointments(FileSystem& files, const Settings& settings, TimeValue now,
                      AppointmentBook& book, AppointmentBook& missed);

// Writes the whole book over the file, in the folder that the settings choose now, whatever
// the file holds. The old file stays whole until the new one is complete; true once the new
// one is in place. The running program saves through AppointmentStore, which merges.
bool saveAppointments(FileSystem& files, const Settings& settings, const AppointmentBook& book);
