// A throwaway data folder pair and a file system that fails where a test tells it to.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "tests/support/posix_file_system.h"

// Two fresh folders ("user" and "common") below a temporary directory, removed at the end.
class TempFolders {
  public:
    TempFolders() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qz-store-XXXXXX").string();
        root_ = ::mkdtemp(pattern.data());
        std::filesystem::create_directory(root_ / "user");
        std::filesystem::create_directory(root_ / "common");
    }
    TempFolders(const TempFolders&) = delete;
    TempFolders& operator=(const TempFolders&) = delete;
    ~TempFolders() { std::filesystem::remove_all(root_); }

    std::string user() const { return (root_ / "user").string(); }
    std::string common() const { return (root_ / "common").string(); }

  private:
    std::filesystem::path root_;
};

inline bool fileExists(const std::string& path) {
    return std::filesystem::exists(path);
}

inline std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeText(const std::string& path, std::string_view text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

// Counts every operation but the pause; the chosen one fails, or with `crash` that one
// and every later one (as if the machine stopped there). Reads and moves can be made to
// find the file busy a number of times first, creating files whose path holds a given
// part can be refused, looking at one file can fail, and a test can act just before each
// file is created.
class FaultyFileSystem : public PosixFileSystem {
  public:
    using PosixFileSystem::PosixFileSystem;

    void failOperation(int n, bool crash = false) {
        failing_ = n;
        crash_ = crash;
        operations_ = 0;
    }
    void busyMoves(int count) { busyMoves_ = count; }
    void busyReads(const std::string& path, int count) {
        busyPath_ = slashed(path);
        busyReads_ = count;
    }
    void refuseCreating(const std::string& part) { refused_ = part; }
    // Looking at that file fails (it is held, or the network hiccups).
    void failStamps(const std::string& path) { failedStamp_ = slashed(path); }
    std::function<void(const std::string& path)> beforeCreate;

    int operations() const { return operations_; }
    int reads() const { return reads_; }
    int pauses() const { return pauses_; }
    int creates() const { return creates_; }
    int shares() const { return shares_; }

    bool dataFolder(bool perUser, std::string& path) override {
        return pass() && PosixFileSystem::dataFolder(perUser, path);
    }
    bool createFolder(const std::string& path) override {
        return pass() && PosixFileSystem::createFolder(path);
    }
    FileResult fileStamp(const std::string& path, FileStamp& stamp) override {
        return pass() && slashed(path) != failedStamp_ ? PosixFileSystem::fileStamp(path, stamp)
                                                       : FileResult::Failed;
    }
    FileResult readFile(const std::string& path, std::string& content) override {
        if (!pass()) {
            return FileResult::Failed;
        }
        ++reads_;
        if (busyReads_ > 0 && slashed(path) == busyPath_) {
            --busyReads_;
            return FileResult::Busy;
        }
        return PosixFileSystem::readFile(path, content);
    }
    bool createFile(const std::string& path, std::uintptr_t& file) override {
        ++creates_;
        if (beforeCreate) {
            beforeCreate(path);
        }
        const bool refused = !refused_.empty() && path.find(refused_) != std::string::npos;
        return pass() && !refused && PosixFileSystem::createFile(path, file);
    }
    bool writeFile(std::uintptr_t file, std::string_view data) override {
        return pass() && PosixFileSystem::writeFile(file, data);
    }
    bool flushFile(std::uintptr_t file) override {
        return pass() && PosixFileSystem::flushFile(file);
    }
    bool closeFile(std::uintptr_t file) override {
        // The descriptor is released either way, as CloseHandle does.
        const bool passed = pass();
        return PosixFileSystem::closeFile(file) && passed;
    }
    bool shareWithAllUsers(const std::string& path) override {
        ++shares_;
        return pass() && PosixFileSystem::shareWithAllUsers(path);
    }
    FileResult moveFile(const std::string& from, const std::string& to) override {
        if (!pass()) {
            return FileResult::Failed;
        }
        if (busyMoves_ > 0) {
            --busyMoves_;
            return FileResult::Busy;
        }
        return PosixFileSystem::moveFile(from, to);
    }
    bool removeFile(const std::string& path) override {
        return pass() && PosixFileSystem::removeFile(path);
    }
    FileResult listFolder(const std::string& folder, std::vector<std::string>& names) override {
        return pass() ? PosixFileSystem::listFolder(folder, names) : FileResult::Failed;
    }
    void pause(int) override { ++pauses_; }

  private:
    static std::string slashed(std::string path) {
        std::replace(path.begin(), path.end(), '\\', '/');
        return path;
    }
    bool pass() {
        ++operations_;
        return failing_ == 0 || (crash_ ? operations_ < failing_ : operations_ != failing_);
    }

    int failing_ = 0;
    bool crash_ = false;
    int operations_ = 0;
    int busyMoves_ = 0;
    int busyReads_ = 0;
    std::string busyPath_;
    int pauses_ = 0;
    int creates_ = 0;
    int shares_ = 0;
    int reads_ = 0;
    std::string refused_;
    std::string failedStamp_;
};
