// The file-system seam: the application-data folders and plain file input and
// output, the platform's or a stand-in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The largest file readFile reads; a larger one fails whole, never read in part.
// Reading a file costs at most about eight times its size (the text, the XML tree
// and what the load holds besides), so this keeps the worst case near half a GiB,
// while a book of a million appointments (about 45 MB) still loads.
constexpr std::size_t LARGEST_READABLE_FILE = std::size_t{64} << 20;

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

    // A new empty file for writing, without sharing; false when the file exists already
    // (made in one step, so that of two programs only one can make it).
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

    // The names of the files directly in the folder (no folders, no "." or ".."), in no
    // particular order; `names` is replaced only on Ok. Missing when there is no such folder.
    virtual FileResult listFolder(const std::string& folder, std::vector<std::string>& names) = 0;

    // Waits before a retry.
    virtual void pause(int milliseconds) = 0;
};
