// The folder that holds the appointment file: the one the user chose or the
// application-data folder, and whether a chosen folder can hold the file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/settings.h"

class FileSystem;

// The longest path the platform's file calls take (MAX_PATH without its NUL).
constexpr std::size_t LONGEST_PATH_CHARS = 259;

// The files the program writes in the folder of the appointment file.
constexpr std::string_view APPOINTMENT_FILE_NAME = "quarvwecker.xml";
// Every file is written under its name with this added first, then renamed into place.
constexpr std::string_view TEMPORARY_SUFFIX = ".tmp";
// An unreadable file is kept aside as ".bad", then ".bad2", ".bad3", ... up to this number.
constexpr std::string_view KEPT_ASIDE_SUFFIX = ".bad";
constexpr int MOST_KEPT_ASIDE_COPIES = 99;

constexpr std::size_t decimalDigits(int number) {
    return number < 10 ? 1 : 1 + decimalDigits(number / 10);
}

// The longest name among them: the temporary file of the last copy kept aside
// ("quarvwecker.xml.bad99.tmp").
constexpr std::size_t LONGEST_FILE_NAME_CHARS =
    APPOINTMENT_FILE_NAME.size() + KEPT_ASIDE_SUFFIX.size() +
    decimalDigits(MOST_KEPT_ASIDE_COPIES) + TEMPORARY_SUFFIX.size();

// Created and removed again to find out whether a folder can be written; exactly as long
// as the longest name, so that the check tries the longest path the program will use.
constexpr std::string_view PROBE_FILE_NAME = "quarvwecker.xml.probe.tmp";
static_assert(PROBE_FILE_NAME.size() == LONGEST_FILE_NAME_CHARS,
              "the probe file's name must be as long as the longest name written in the folder");

// The longest folder that leaves room for a backslash and every file name the program
// writes in it.
constexpr std::size_t DATA_FOLDER_CHARS = LONGEST_PATH_CHARS - 1 - LONGEST_FILE_NAME_CHARS;

// A stored folder is still used up to this length: earlier versions left room only for
// "quarvwecker.xml.probe", and a folder they accepted must not silently give way to the
// default one. The file and its temporary file fit there; only keeping a damaged file aside
// may fail, and a save that fails is told to the user.
constexpr std::size_t STORED_DATA_FOLDER_CHARS =
    LONGEST_PATH_CHARS - 1 - std::string_view("quarvwecker.xml.probe").size();

// The file's path in the folder; a drive's root (D:\) has its backslash already.
std::string fileInFolder(const std::string& folder, std::string_view name);

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
