// The appointment file "quarvwecker.xml": its text, the file-system seam it is read and
// written through, and the safe replace of a whole file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/appointment_book.h"
#include "store/settings.h"

enum class FileResult {
    Ok,
    Missing, // the file (or its folder) does not exist
    Busy,    // another process holds it: a sharing or lock violation
    Failed,
};

// One version of a file, known without reading it. A replace by rename gives the file a
// new identity, a write in place a new size or last-write time.
struct FileStamp {
    bool exists = false;
    std::uint64_t size = 0;
    std::int64_t lastWrite = 0; // the platform's own units
    std::uint64_t identity = 0; // file index or inode
    bool operator==(const FileStamp&) const = default;
};

// Data folders and plain file input and output: the platform's or a stand-in.
// File handles are the implementation's own.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // The current user's application-data folder (perUser) or the one shared by all
    // users, without a trailing backslash; created when it is missing.
    virtual bool dataFolder(bool perUser, std::string& path) = 0;

    // Creates the folder and every missing one above it; true when it exists afterwards.
    virtual bool createFolder(const std::string& path) = 0;

    // The stamp of a file (or folder) without reading or locking it; Missing when absent.
    virtual FileResult fileStamp(const std::string& path, FileStamp& stamp) = 0;

    // The whole file: opened for reading with read sharing only, then one read.
    virtual FileResult readFile(const std::string& path, std::string& content) = 0;

    // A new empty file for writing, without sharing, replacing an existing one.
    virtual bool createFile(const std::string& path, std::uintptr_t& file) = 0;
    virtual bool writeFile(std::uintptr_t file, std::string_view data) = 0;
    virtual bool flushFile(std::uintptr_t file) = 0;
    virtual bool closeFile(std::uintptr_t file) = 0;

    // Gives every user of the PC the right to read, write and replace the file; SYSTEM
    // and the administrators keep full control. For the file shared by all users.
    virtual bool shareWithAllUsers(const std::string& path) = 0;

    // Replaces `to` by `from` in one step, written through to the disk.
    virtual FileResult moveFile(const std::string& from, const std::string& to) = 0;
    virtual bool removeFile(const std::string& path) = 0;

    // Waits before a retry.
    virtual void pause(int milliseconds) = 0;
};

// The platform's file system (Windows build only).
FileSystem& systemFileSystem();

// "quarvwecker.xml" in the folder.
std::string appointmentFilePath(const std::string& folder);

// The text of the file that holds the book.
std::string appointmentFileText(const AppointmentBook& book);

// Every usable appointment of a file's text, past ones too, into `appointments`, from
// the last in the file to the first. False when the text is no appointment file.
bool readAppointmentFileText(std::string_view text, AppointmentBook& appointments);

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
// one step, so that a crash, a power cut or a full disk leaves the old file whole.
ReplaceResult replaceWholeFile(FileSystem& files, const std::string& path, std::string_view text,
                               const ReplaceOptions& options = {});

// A temporary file left by a save that did not finish: it replaces a missing file when it
// is complete; otherwise it goes.
void recoverTemporaryFile(FileSystem& files, const std::string& path);

// Fills the book with the file's future appointments and the missed book with its past
// ones (or drops them when `deleteold`), then rewrites the file without the past ones.
// False when the file was not read; an unreadable file is kept aside (AppointmentStore).
bool loadAppointments(FileSystem& files, const Settings& settings, AppointmentBook& book,
                      AppointmentBook& missed);

// Writes the whole book over the file, in the folder that `userdata` chooses now, whatever
// the file holds. The old file stays whole until the new one is complete; true once the new
// one is in place. The running program saves through AppointmentStore, which merges.
bool saveAppointments(FileSystem& files, const Settings& settings, const AppointmentBook& book);
