// The folder that holds the appointment file: the one the user chose or the
// application-data folder, and whether a chosen folder can hold the file.
#pragma once

#include <cstddef>
#include <string>

#include "core/settings.h"

class FileSystem;

// The longest path the platform's file calls take (MAX_PATH without its NUL).
constexpr std::size_t LONGEST_PATH_CHARS = 259;
// Created and removed again to find out whether a folder can be written. As long as
// the longest name the program keeps beside the file ("quarvwecker.xml.bad99").
constexpr char PROBE_FILE_NAME[] = "quarvwecker.xml.probe";
// The longest folder that leaves room for a backslash and every file name the program
// keeps in it.
constexpr std::size_t DATA_FOLDER_CHARS = LONGEST_PATH_CHARS - 1 - (sizeof PROBE_FILE_NAME - 1);

// The file's path in the folder; a drive's root (D:\) has its backslash already.
std::string fileInFolder(const std::string& folder, const char* name);

// A complete path from a drive ("C:\...") or a network share ("\\server\...").
bool isAbsoluteFolder(const std::string& folder);

// The folder that holds the appointment file under these settings: "datafolder" when
// it is set, otherwise the application-data folder that "userdata" chooses. False when
// no folder is known.
bool appointmentFolder(FileSystem& files, const Settings& settings, std::string& folder);

enum class FolderCheck {
    Usable,
    Missing,     // no such folder
    TooLong,     // no room left for the file names
    NotWritable, // a file cannot be created (or removed again) there
};

// Whether the folder can hold the appointment file. Writing is tried, not assumed:
// a probe file is created and removed again.
FolderCheck checkDataFolder(FileSystem& files, const std::string& folder);
