// The appointment file as the program writes it, byte for byte, for tests that
// put a file in place or compare one.
#pragma once

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
