// The text layer of iCalendar files: the two code pages, TEXT escapes, folding and the
// reading of content lines however they end.
#include <gtest/gtest.h>

#include "store/ical/ical_text.h"

namespace {

TEST(IcalText, EveryWindows1252ByteComesBackAndOthersAreReplaced) {
    std::string all;
    for (int byte = 1; byte < 256; ++byte) {
        all += static_cast<char>(byte);
    }
    int replaced = 0;
    EXPECT_EQ(windows1252FromUtf8(utf8FromWindows1252(all), replaced), all);
    EXPECT_EQ(replaced, 0);

    struct Case {
        std::string utf8;
        std::string windows;
        int replaced;
    };
    for (const Case& c : std::vector<Case>{
             {"Gr\xC3\xBC\xC3\x9F"
              "e \xE2\x82\xAC",
              "Gr\xFC\xDF"
              "e \x80",
              0},
             {"\xE2\x80\x93 \xE2\x80\x9E"
              "a\xE2\x80\x9C",
              "\x96 \x84"
              "a\x93",
              0},
             {"\xF0\x9F\x8E\x89 \xE4\xB8\xAD", "? ?", 2},
             // Not UTF-8: the bytes of the system's code page stay as they are.
             {"M\xFCller \xC3", "M\xFCller \xC3", 0},
             // An overlong form and a surrogate are no characters either.
             {"\xC0\xAF\xED\xA0\x80", "\xC0\xAF\xED\xA0\x80", 0},
         }) {
        int count = 0;
        EXPECT_EQ(windows1252FromUtf8(c.utf8, count), c.windows) << c.utf8;
        EXPECT_EQ(count, c.replaced) << c.utf8;
    }
}

TEST(IcalText, TextValuesAreEscapedAndUnescaped) {
    EXPECT_EQ(escapeText("a,b;c\\d\ne\r\nf"), "a\\,b\\;c\\\\d\\ne\\nf");
    EXPECT_EQ(unescapeText("a\\,b\\;c\\\\d\\ne\\Nf\\x\\"), "a,b;c\\d\ne\nf\\x\\");
    const std::string odd = "\\,;\\\\n,";
    EXPECT_EQ(unescapeText(escapeText(odd)), odd);
}

TEST(IcalText, LinesAreFoldedAt75OctetsNeverInsideACharacter) {
    std::string line = "SUMMARY:";
    for (int i = 0; i < 60; ++i) {
        line += "\xC3\xBC"; // ü
    }
    std::string out;
    appendFolded(out, line);
    std::size_t start = 0;
    for (std::size_t end; (end = out.find("\r\n", start)) != std::string::npos; start = end + 2) {
        const std::string physical = out.substr(start, end - start);
        EXPECT_LE(physical.size(), 75u);
        if (end + 2 < out.size()) {
            EXPECT_EQ(out[end + 2], ' ');
            EXPECT_NE(static_cast<unsigned char>(out[end + 3]) & 0xC0, 0x80)
                << "cut in a character";
        }
    }
    ContentLineReader reader(out);
    ContentLine read;
    ASSERT_TRUE(reader.next(read));
    EXPECT_EQ(std::string(read.name) + ":" + std::string(read.value), line);
}

TEST(IcalText, ContentLinesEndWithCrLfLfOrCrAndFoldsAreUndone) {
    const std::string text = "\xEF\xBB\xBF"
                             "BEGIN:VCALENDAR\n"
                             "SUMMARY;LANGUAGE=de:Gr\xC3\r\n \xBC\xC3\x9F"
                             "e\r"
                             "\r\n"
                             "DTSTART;TZID=\"Zone; mit: Zeichen\";VALUE=DATE-TIME:20261207T090000\n"
                             "X-EMPTY\n"
                             "\tcontinued";
    ContentLineReader reader(text);
    ContentLine line;
    std::vector<std::string> seen;
    while (reader.next(line)) {
        seen.push_back(std::string(line.name) + "|" + std::string(line.params) + "|" +
                       std::string(line.value));
        if (line.name == "DTSTART") {
            EXPECT_EQ(parameter(line.params, "tzid").value_or("-"), "Zone; mit: Zeichen");
            EXPECT_EQ(parameter(line.params, "VALUE").value_or("-"), "DATE-TIME");
            EXPECT_FALSE(parameter(line.params, "LANGUAGE"));
        }
    }
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "BEGIN||VCALENDAR",
                        "SUMMARY|;LANGUAGE=de|Gr\xC3\xBC\xC3\x9F"
                        "e",
                        "DTSTART|;TZID=\"Zone; mit: Zeichen\";VALUE=DATE-TIME|20261207T090000",
                        "X-EMPTYcontinued||"}));
}

} // namespace
