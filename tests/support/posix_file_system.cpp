// The file system outside Windows, over POSIX calls.
#include "tests/support/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <thread>

namespace {

std::string nativePath(std::string path) {
    for (char& c : path) {
        if (c == '\\') {
            c = '/';
        }
    }
    return path;
}

int descriptor(std::uintptr_t file) {
    return static_cast<int>(file) - 1;
}

FileResult failure() {
    return errno == ENOENT || errno == ENOTDIR ? FileResult::Missing : FileResult::Failed;
}

} // namespace

// A folder that is configured but missing is created, as the shell does on Windows.
bool PosixFileSystem::dataFolder(bool perUser, std::string& path) {
    const std::string& folder = perUser ? userFolder_ : commonFolder_;
    if (folder.empty() || !createFolder(folder)) {
        return false;
    }
    path = folder;
    return true;
}

bool PosixFileSystem::createFolder(const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(nativePath(path), error);
    return std::filesystem::is_directory(nativePath(path), error);
}

FileResult PosixFileSystem::fileStamp(const std::string& path, FileStamp& stamp) {
    struct stat status {};
    if (::stat(nativePath(path).c_str(), &status) != 0) {
        return failure();
    }
    stamp.exists = true;
    stamp.size = static_cast<std::uint64_t>(status.st_size);
    stamp.lastWrite =
        static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    stamp.identity = static_cast<std::uint64_t>(status.st_ino);
    return FileResult::Ok;
}

FileResult PosixFileSystem::readFile(const std::string& path, std::string& content) {
    const int fd = ::open(nativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return failure();
    }
    // The whole file in a buffer of its size, as the platform's does; one over the
    // largest readable size is not read at all.
    struct stat status {};
    if (::fstat(fd, &status) != 0 || status.st_size < 0 ||
        static_cast<std::uintmax_t>(status.st_size) > LARGEST_READABLE_FILE) {
        ::close(fd);
        return FileResult::Failed;
    }
    std::string text(static_cast<std::size_t>(status.st_size), '\0');
    std::size_t total = 0;
    ssize_t n = 0;
    while (total < text.size() && (n = ::read(fd, text.data() + total, text.size() - total)) > 0) {
        total += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (n < 0) {
        return FileResult::Failed;
    }
    text.resize(total); // the file became shorter meanwhile
    content = std::move(text);
    return FileResult::Ok;
}

bool PosixFileSystem::createFile(const std::string& path, std::uintptr_t& file) {
    const int fd = ::open(nativePath(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    file = static_cast<std::uintptr_t>(fd) + 1;
    return true;
}

bool PosixFileSystem::writeFile(std::uintptr_t file, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(descriptor(file), data.data(), data.size());
        if (n <= 0) {
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool PosixFileSystem::flushFile(std::uintptr_t file) {
    return ::fsync(descriptor(file)) == 0;
}

bool PosixFileSystem::closeFile(std::uintptr_t file) {
    return ::close(descriptor(file)) == 0;
}

// Read and write for everybody: the nearest to the rights of the Windows all-users file.
bool PosixFileSystem::shareWithAllUsers(const std::string& path) {
    return ::chmod(nativePath(path).c_str(), 0666) == 0;
}

FileResult PosixFileSystem::moveFile(const std::string& from, const std::string& to) {
    return std::rename(nativePath(from).c_str(), nativePath(to).c_str()) == 0 ? FileResult::Ok
                                                                              : failure();
}

bool PosixFileSystem::removeFile(const std::string& path) {
    return ::unlink(nativePath(path).c_str()) == 0;
}

FileResult PosixFileSystem::listFolder(const std::string& folder, std::vector<std::string>& names) {
    std::error_code error;
    std::filesystem::directory_iterator entries(nativePath(folder), error);
    if (error) {
        return error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory
                   ? FileResult::Missing
                   : FileResult::Failed;
    }
    std::vector<std::string> files;
    for (; entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        if (error) {
            return FileResult::Failed;
        }
        if (entries->is_regular_file(error)) {
            files.push_back(entries->path().filename().string());
        }
    }
    if (error) {
        return FileResult::Failed;
    }
    names = std::move(files);
    return FileResult::Ok;
}

void PosixFileSystem::pause(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
