// Conflict copies of the appointment file: which names the sync services give them.
#include "store/conflict_copies.h"

#include <algorithm>
#include <array>

#include "store/data_folder.h"
#include "store/file_system.h"

namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameLetter(char x, char y) {
    return lower(x) == lower(y);
}

bool sameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), sameLetter);
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && sameText(text.substr(0, prefix.size()), prefix);
}

bool endsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           sameText(text.substr(text.size() - suffix.size()), suffix);
}

bool contains(std::string_view text, std::string_view word) {
    return std::search(text.begin(), text.end(), word.begin(), word.end(), sameLetter) !=
           text.end();
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isLetterOrDigit(char c) {
    return isDigit(c) || (lower(c) >= 'a' && lower(c) <= 'z');
}

// " (...)" naming the conflict in words: Dropbox in English and German, Nextcloud and
// ownCloud from 2.5, Seafile. A copy of a copy has several such parts.
bool taggedInWords(std::string_view tag) {
    constexpr std::array<std::string_view, 3> words = {"conflicted copy",
                                                       "in Konflikt stehende Kopie", "SFConflict"};
    return startsWith(tag, " (") && tag.ends_with(')') &&
           std::any_of(words.begin(), words.end(),
                       [tag](std::string_view word) { return contains(tag, word); });
}

// " (1)": the second of two files of one name in Google Drive.
bool numbered(std::string_view tag) {
    if (!tag.starts_with(" (") || !tag.ends_with(')')) {
        return false;
    }
    const std::string_view number = tag.substr(2, tag.size() - 3);
    return !number.empty() && number.size() <= 4 &&
           std::all_of(number.begin(), number.end(), isDigit);
}

// Syncthing's ".sync-conflict-<date>-<time>[-<device>]" and Nextcloud's and ownCloud's
// older "_conflict-<date>-<time>" or "_conflict_<user>-<date>-<time>".
bool taggedWithMark(std::string_view tag) {
    constexpr std::array<std::string_view, 3> marks = {".sync-conflict-", "_conflict-",
                                                       "_conflict_"};
    return std::any_of(marks.begin(), marks.end(), [tag](std::string_view mark) {
        return tag.size() > mark.size() && startsWith(tag, mark);
    });
}

// A name without the number a service adds when the name is taken ("-2").
std::string_view withoutNumber(std::string_view name) {
    const std::size_t dash = name.rfind('-');
    if (dash == std::string_view::npos || dash + 1 == name.size() ||
        !std::all_of(name.begin() + static_cast<std::ptrdiff_t>(dash) + 1, name.end(), isDigit)) {
        return name;
    }
    return name.substr(0, dash);
}

// Names people give their own copies; hardly a computer's name.
bool ownCopyWord(std::string_view name) {
    constexpr std::array<std::string_view, 12> words = {"alt", "alte",      "old",   "backup",
                                                        "bak", "sicherung", "kopie", "copy",
                                                        "neu", "new",       "orig",  "original"};
    return std::any_of(words.begin(), words.end(),
                       [name](std::string_view word) { return sameText(name, word); });
}

// OneDrive's "-<computer>" or "-<computer>-<n>". A computer's name is a DNS label: up to
// 63 letters, digits and hyphens, not only digits. That keeps this broad pattern from
// taking "quarvwecker - Kopie.xml", "quarvwecker-2025.xml" or "quarvwecker-backup.xml"
// for a copy.
bool taggedWithComputer(std::string_view tag) {
    if (!tag.starts_with('-')) {
        return false;
    }
    const std::string_view name = withoutNumber(tag.substr(1));
    return !name.empty() && name.size() <= 63 && isLetterOrDigit(name.front()) &&
           std::all_of(name.begin(), name.end(),
                       [](char c) { return isLetterOrDigit(c) || c == '-'; }) &&
           !std::all_of(name.begin(), name.end(), [](char c) { return isDigit(c) || c == '-'; }) &&
           !ownCopyWord(name);
}

} // namespace

bool isConflictCopy(std::string_view fileName, std::string_view original) {
    const std::size_t dot = original.rfind('.');
    const std::string_view stem = original.substr(0, dot);
    const std::string_view extension =
        dot == std::string_view::npos ? std::string_view() : original.substr(dot);
    if (fileName.size() <= original.size() || !startsWith(fileName, stem) ||
        !endsWith(fileName, extension)) {
        return false;
    }
    const std::string_view tag =
        fileName.substr(stem.size(), fileName.size() - stem.size() - extension.size());
    return taggedInWords(tag) || numbered(tag) || taggedWithMark(tag) || taggedWithComputer(tag);
}

std::string setAsideName(std::string_view fileName, int attempt) {
    return std::string(fileName) + ".uebernommen" + (attempt > 1 ? std::to_string(attempt) : "");
}

std::vector<std::string> conflictCopiesOf(FileSystem& files, const std::string& folder) {
    std::vector<std::string> names;
    if (files.listFolder(folder, names) != FileResult::Ok) {
        return {};
    }
    std::erase_if(names, [](const std::string& name) {
        return !isConflictCopy(name, APPOINTMENT_FILE_NAME);
    });
    std::sort(names.begin(), names.end());
    std::vector<std::string> paths;
    paths.reserve(names.size());
    for (const std::string& name : names) {
        paths.push_back(fileInFolder(folder, name.c_str()));
    }
    return paths;
}
