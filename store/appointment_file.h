// The appointment file "quarvwecker.xml" and the file-system seam it is read and written through.
#pragma once

#include <cstddef>
#include <cstdint>
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

// The largest file readFile reads; a larger one fails whole, never read in part.
// Reading a file costs at most about eight times its size (the text, the XML tree
// and what the load holds besides), so this keeps the worst case near half a GiB,
// while a book of a million appointments (about 45 MB) still loads.
constexpr std::size_t LARGEST_READABLE_FILE = std::size_t{64} << 20;

// Data folders and plain file input and output: the platform's or a stand-in.
// File handles are the implementation's own.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // The current user's application-data folder (perUser) or the one shared by all
    // users, without a trailing backslash.
    virtual bool dataFolder(bool perUser, std::string& path) = 0;

    // The whole file: opened for reading with read sharing only, then one read.
    virtual FileResult readFile(const std::string& path, std::string& content) = 0;

    // A new empty file for writing, without sharing, replacing an existing one.
    virtual bool createFile(const std::string& path, std::uintptr_t& file) = 0;
    virtual bool writeFile(std::uintptr_t file, std::string_view data) = 0;
    virtual bool flushFile(std::uintptr_t file) = 0;
    virtual bool closeFile(std::uintptr_t file) = 0;

    // Replaces `to` by `from` in one step, written through to the disk.
    virtual FileResult moveFile(const std::string& from, const std::string& to) = 0;
    virtual bool removeFile(const std::string& path) = 0;

    // Waits before a retry.
    virtual void pause(int milliseconds) = 0;
};

// The platform's file system (Windows build only).
FileSystem& systemFileSystem();

// Fills the book with the file's future appointments and the missed book with its
// past ones (or drops them when `deleteold`), then rewrites the file without the past
// ones. False when the file was not read; an unreadable file is kept aside as
// "quarvwecker.xml.bad".
bool loadAppointments(FileSystem& files, const Settings& settings, AppointmentBook& book,
                      AppointmentBook& missed);

// Writes the whole book over the file, in the folder that `userdata` chooses now. The
// old file stays whole until the new one is complete; true once the new one is in place.
bool saveAppointments(FileSystem& files, const Settings& settings, const AppointmentBook& book);
