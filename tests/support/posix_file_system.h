// The file system outside Windows: two folders stand in for the per-user and the shared
// application-data folder; backslashes in paths are taken as folder separators.
#pragma once

#include <string>
#include <utility>

#include "store/file_system.h"

class PosixFileSystem : public FileSystem {
  public:
    PosixFileSystem(std::string userFolder, std::string commonFolder)
        : userFolder_(std::move(userFolder)), commonFolder_(std::move(commonFolder)) {}

    bool dataFolder(bool perUser, std::string& path) override;
    bool createFolder(const std::string& path) override;
    FileResult fileStamp(const std::string& path, FileStamp& stamp) override;
    FileResult readFile(const std::string& path, std::string& content) override;
    bool createFile(const std::string& path, std::uintptr_t& file) override;
    bool writeFile(std::uintptr_t file, std::string_view data) override;
    bool flushFile(std::uintptr_t file) override;
    bool closeFile(std::uintptr_t file) override;
    bool shareWithAllUsers(const std::string& path) override;
    FileResult moveFile(const std::string& from, const std::string& to) override;
    bool removeFile(const std::string& path) override;
    FileResult listFolder(const std::string& folder, std::vector<std::string>& names) override;
    void pause(int milliseconds) override;

  private:
    std::string userFolder_;
    std::string commonFolder_;
};
