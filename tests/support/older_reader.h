// What the version of the program before the rules beyond the kind reads of a "wdh"
// value: a series only for the words it knew ("tag", "werktag", "woche", "monat 31",
// "tag 02:30"), a one-off for anything else.
#pragma once

#include <regex>
#include <string>

inline bool olderReaderSeesASeries(const std::string& value) {
    static const std::regex known("(tag|werktag|woche)( [0-9]{2}:[0-9]{2})?|"
                                  "(monat|jahr)( [0-9]{1,2})?( [0-9]{2}:[0-9]{2})?");
    return std::regex_match(value, known);
}
