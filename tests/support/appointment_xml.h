// The appointment file as the program writes it, byte for byte, for tests that
// put a file in place or compare one.
#pragma once

#include <cstring>
#include <initializer_list>
#include <string>

#include "core/calendar.h"

struct FileEntry {
    std::string text;
    TimeValue time;
    std::string repeat = {}; // the value of wdh; none when empty
};

inline std::string appointmentXml(std::initializer_list<FileEntry> entries) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<quarvwecker>\r\n"
                      "<version1>\r\n<termine>\r\n";
    for (const FileEntry& entry : entries) {
        xml += "<date text=\"" + entry.text + "\" zeit=\"" + timeToFileKey(entry.time) + "\"" +
               (entry.repeat.empty() ? "" : " wdh=\"" + entry.repeat + "\"") + " />\r\n";
    }
    return xml + "</termine>\r\n</version1>\r\n</quarvwecker>\r\n";
}

// A file's text without what the shared form adds (identities, revisions, tombstones and
// forwards): what a reader that knows only text, time and repetition sees of it.
inline std::string plainForm(std::string text) {
    for (const char* attribute : {" id=\"", " rev=\""}) {
        for (std::size_t at; (at = text.find(attribute)) != std::string::npos;) {
            text.erase(at, text.find('"', at + std::strlen(attribute)) + 1 - at);
        }
    }
    const std::size_t gone = text.find("<geloescht>");
    if (gone != std::string::npos) {
        const std::string end = "</geloescht>\r\n";
        text.erase(gone, text.find(end, gone) + end.size() - gone);
    }
    return text;
}
