// The platform's file system: the shell's application-data folders and CreateFileA and friends.
#include <windows.h>

#include <sddl.h>
#include <shlobj.h>

#include "store/all_users_rights.h"
#include "store/services_win32.h"
#include "store/win32_handle.h"

namespace {

HANDLE toHandle(std::uintptr_t file) {
    return reinterpret_cast<HANDLE>(file);
}

FileResult failureOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return FileResult::Missing;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    // Replacing a file that another process holds open without delete sharing.
    case ERROR_ACCESS_DENIED:
        return FileResult::Busy;
    default:
        return FileResult::Failed;
    }
}

FileResult lastFailure() {
    return failureOf(GetLastError());
}

class Win32FileSystem final : public FileSystem {
  public:
    // CSIDL_FLAG_CREATE: a profile without its "Roaming" folder gets it back.
    bool dataFolder(bool perUser, std::string& path) override {
        char folder[MAX_PATH] = {};
        const int id = (perUser ? CSIDL_APPDATA : CSIDL_COMMON_APPDATA) | CSIDL_FLAG_CREATE;
        if (SHGetFolderPathA(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK) {
            return false;
        }
        path = folder;
        return true;
    }

    bool createFolder(const std::string& path) override {
        SHCreateDirectoryExA(nullptr, path.c_str(), nullptr);
        const DWORD attributes = GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    // Opened for no access at all, which no other program's sharing mode refuses.
    FileResult fileStamp(const std::string& path, FileStamp& stamp) override {
        const UniqueHandle file(
            CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!file) {
            return lastFailure();
        }
        BY_HANDLE_FILE_INFORMATION info{};
        if (!GetFileInformationByHandle(file.get(), &info)) {
            return FileResult::Failed;
        }
        stamp.exists = true;
        stamp.size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
        stamp.lastWrite =
            static_cast<std::int64_t>((std::uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) |
                                      info.ftLastWriteTime.dwLowDateTime);
        stamp.identity = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
        return FileResult::Ok;
    }

    FileResult readFile(const std::string& path, std::string& content) override {
        const UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            return lastFailure();
        }
        DWORD high = 0;
        const DWORD size = GetFileSize(file.get(), &high);
        if ((size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || high != 0) {
            return FileResult::Failed;
        }
        // No appointment file comes near this; reading a huge stranger whole
        // would only exhaust memory at start-up.
        if (size > LARGEST_READABLE_FILE) {
            return FileResult::Failed;
        }
        std::string text(size, '\0');
        DWORD total = 0;
        while (total < size) {
            DWORD read = 0;
            if (!ReadFile(file.get(), text.data() + total, size - total, &read, nullptr)) {
                return FileResult::Failed;
            }
            if (read == 0) {
                break; // the file became shorter meanwhile
            }
            total += read;
        }
        text.resize(total);
        content = std::move(text);
        return FileResult::Ok;
    }

    bool createFile(const std::string& path, std::uintptr_t& file) override {
        const HANDLE created = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                           CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (created == INVALID_HANDLE_VALUE) {
            return false;
        }
        file = reinterpret_cast<std::uintptr_t>(created);
        return true;
    }

    bool writeFile(std::uintptr_t file, std::string_view data) override {
        while (!data.empty()) {
            DWORD written = 0;
            if (!WriteFile(toHandle(file), data.data(), static_cast<DWORD>(data.size()), &written,
                           nullptr) ||
                written == 0) {
                return false;
            }
            data.remove_prefix(written);
        }
        return true;
    }

    bool flushFile(std::uintptr_t file) override { return FlushFileBuffers(toHandle(file)) != 0; }

    bool closeFile(std::uintptr_t file) override { return CloseHandle(toHandle(file)) != 0; }

    bool shareWithAllUsers(const std::string& path) override {
        PSECURITY_DESCRIPTOR rights = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(
                ALL_USERS_FILE_RIGHTS, SDDL_REVISION_1, &rights, nullptr)) {
            return false;
        }
        const bool set = SetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, rights) != 0;
        LocalFree(rights);
        return set;
    }

    // Not ReplaceFileA, which is not one step under every system.
    FileResult moveFile(const std::string& from, const std::string& to) override {
        if (MoveFileExA(from.c_str(), to.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return FileResult::Ok;
        }
        return lastFailure();
    }

    bool removeFile(const std::string& path) override { return DeleteFileA(path.c_str()) != 0; }

    FileResult listFolder(const std::string& folder, std::vector<std::string>& names) override {
        const bool slashed = folder.ends_with('\\') || folder.ends_with('/');
        const std::string pattern = folder + (slashed ? "*" : "\\*");
        WIN32_FIND_DATAA found{};
        const UniqueFindHandle search(FindFirstFileA(pattern.c_str(), &found));
        if (!search) {
            switch (const DWORD error = GetLastError()) {
            case ERROR_FILE_NOT_FOUND: // nothing at all: a drive's empty root has no "." either
                names.clear();
                return FileResult::Ok;
            case ERROR_DIRECTORY:    // a file where the folder should be (Wine says
            case ERROR_INVALID_NAME: // ERROR_INVALID_NAME), or no folder's name at all
                return FileResult::Missing;
            case ERROR_ACCESS_DENIED: // a folder this user may not list, not a busy one
                return FileResult::Failed;
            default:
                return failureOf(error);
            }
        }
        std::vector<std::string> files;
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                files.emplace_back(found.cFileName);
            }
        } while (FindNextFileA(search.get(), &found));
        if (GetLastError() != ERROR_NO_MORE_FILES) {
            return FileResult::Failed;
        }
        names = std::move(files);
        return FileResult::Ok;
    }

    void pause(int milliseconds) override { Sleep(static_cast<DWORD>(milliseconds)); }
};

} // namespace

FileSystem& systemFileSystem() {
    static Win32FileSystem files;
    return files;
}
