// The folder of the appointment file and the check of a folder the user chooses.
#include "store/data_folder.h"

#include "store/file_system.h"

namespace {

bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

std::string fileInFolder(const std::string& folder, std::string_view name) {
    std::string path = folder.ends_with('\\') ? folder : folder + "\\";
    return path.append(name);
}

bool isAbsoluteFolder(const std::string& folder) {
    const bool fromDrive =
        folder.size() >= 3 && isLetter(folder[0]) && folder[1] == ':' && folder[2] == '\\';
    const bool fromShare = folder.size() >= 3 && folder.starts_with("\\\\") && folder[2] != '\\';
    return fromDrive || fromShare;
}

bool appointmentFolder(FileSystem& files, const Settings& settings, std::string& folder) {
    if (!settings.datafolder.empty()) {
        folder = settings.datafolder;
        return true;
    }
    return files.dataFolder(settings.userdata, folder);
}

FolderCheck checkDataFolder(FileSystem& files, const std::string& folder) {
    if (folder.size() > DATA_FOLDER_CHARS) {
        return FolderCheck::TooLong;
    }
    FileStamp stamp;
    const FileResult found = files.fileStamp(folder, stamp);
    if (found == FileResult::Missing) {
        return FolderCheck::Missing;
    }
    if (found != FileResult::Ok) {
        return FolderCheck::NotWritable;
    }
    const std::string probe = fileInFolder(folder, PROBE_FILE_NAME);
    files.removeFile(probe); // one left by a check that did not finish
    std::uintptr_t file = 0;
    if (!files.createFile(probe, file)) {
        return FolderCheck::NotWritable;
    }
    const bool closed = files.closeFile(file);
    // A folder where files cannot be removed cannot take the file's replacement either.
    const bool removed = files.removeFile(probe);
    return closed && removed ? FolderCheck::Usable : FolderCheck::NotWritable;
}
