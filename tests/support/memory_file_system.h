// A file system in memory for tests: folders, files as byte strings, and calls made to fail.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "store/file_system.h"

// Paths are compared exactly, with "/" taken as "\". A file's folder is everything
// before its last "\"; a file can only be made in a folder that exists. Writes go to
// the file at once, as on a disk; a move replaces its target in one step. A path longer
// than the platform's ANSI file calls take (LONGEST_PATH_CHARS) cannot be made.
class MemoryFileSystem : public FileSystem {
  public:
    enum class Call {
        DataFolder,
        ReadFile,
        CreateFile,
        WriteFile,
        FlushFile,
        CloseFile,
        MoveFile,
        RemoveFile,
        CreateFolder,
        FileStamp,
        ShareWithAllUsers,
        ListFolder,
    };

    // The two data folders exist from the start.
    explicit MemoryFileSystem(std::string userFolder = "C:\\Users\\test\\AppData\\Roaming",
                              std::string commonFolder = "C:\\ProgramData");

    const std::string& userFolder() const { return userFolder_; }
    const std::string& commonFolder() const { return commonFolder_; }

    void addFolder(const std::string& path);
    void removeFolder(const std::string& path); // with everything in it
    bool hasFolder(const std::string& path) const;

    void setFile(const std::string& path, std::string_view content);
    std::optional<std::string> file(const std::string& path) const;
    // Every file, by path.
    const std::map<std::string, std::string>& files() const { return files_; }

    // Makes the `nth` call of that kind from now on fail (1: the next one), with
    // `result` where the call gives a FileResult; 0 makes every call of that kind fail.
    void failCall(Call call, int nth = 1, FileResult result = FileResult::Failed);
    void clearFailures();
    // Calls of that kind made so far, failed ones included.
    int calls(Call call) const { return counters_[index(call)].made; }
    int pauses() const { return pauses_; }
    // Files given the rights of the file shared by all users, by path.
    const std::set<std::string>& sharedFiles() const { return shared_; }
    int openFiles() const { return static_cast<int>(handles_.size()); }

    // Larger files are not read, like the platform's (Failed).
    void setLargestReadableFile(std::size_t bytes) { largestReadable_ = bytes; }

    bool dataFolder(bool perUser, std::string& path) override;
    bool createFolder(const std::string& path) override;
    FileResult fileStamp(const std::string& path, ::FileStamp& stamp) override;
    FileResult readFile(const std::string& path, std::string& content) override;
    bool createFile(const std::string& path, std::uintptr_t& file) override;
    bool writeFile(std::uintptr_t file, std::string_view data) override;
    bool flushFile(std::uintptr_t file) override;
    bool closeFile(std::uintptr_t file) override;
    FileResult moveFile(const std::string& from, const std::string& to) override;
    bool removeFile(const std::string& path) override;
    bool shareWithAllUsers(const std::string& path) override;
    FileResult listFolder(const std::string& folder, std::vector<std::string>& names) override;
    void pause(int milliseconds) override;

  private:
    // What a stamp tells of a file: which file it is, and its version.
    struct Identity {
        std::uint64_t file = 0;
        std::int64_t version = 0;
    };
    // A new file at the path, or new content in the one there.
    void renew(const std::string& path, bool newFile);

    struct Counter {
        int made = 0;
        int failAt = -1; // the call number that fails; 0: every call; -1: none
        FileResult result = FileResult::Failed;
    };
    static std::size_t index(Call call) { return static_cast<std::size_t>(call); }
    static std::string normal(std::string path);
    static std::string folderOf(const std::string& path);
    // Counts the call; the failure to give when it is one to fail.
    std::optional<FileResult> injected(Call call);

    std::string userFolder_;
    std::string commonFolder_;
    std::set<std::string> folders_;
    std::map<std::string, std::string> files_;
    std::map<std::uintptr_t, std::string> handles_;
    std::uintptr_t nextHandle_ = 1;
    std::map<std::string, Identity> identities_;
    std::uint64_t nextIdentity_ = 1;
    std::set<std::string> shared_;
    std::array<Counter, static_cast<std::size_t>(Call::ListFolder) + 1> counters_{};
    int pauses_ = 0;
    std::size_t largestReadable_ = LARGEST_READABLE_FILE;
};
