// The appointment file in the current user's application-data folder, for tests
// that run the program with per-user data.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <fstream>
#include <sstream>
#include <string>

inline std::string userAppointmentFile() {
    char folder[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, folder);
    return std::string(folder) + "\\quarvwecker.xml";
}

// The whole file; empty when it cannot be read.
inline std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}
