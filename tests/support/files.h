// Whole files and the user's appointment file, for the tests under Wine.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <fstream>
#include <sstream>
#include <string>

// The appointment file in the current user's application-data folder.
inline std::string userAppointmentFile() {
    char folder[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, folder);
    return std::string(folder) + "\\quarvwecker.xml";
}

inline bool fileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The whole file; empty when it cannot be read.
inline std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// Replaces the file with the bytes; false when it could not be written.
inline bool writeWholeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return out.good();
}
