// The text layer of iCalendar files: content lines read with their folds undone, written
// folded, TEXT values escaped and unescaped, and UTF-8 converted from and to the
// program's Windows-1252 texts.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The UTF-8 form of a Windows-1252 text. The five bytes Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control characters of the same number, as
// Windows converts them, so that every text comes back byte for byte.
std::string utf8FromWindows1252(std::string_view text);

// The Windows-1252 form of UTF-8 text; a character outside Windows-1252 becomes '?',
// counted in `replaced`. A byte that starts no valid UTF-8 sequence is taken as a
// Windows-1252 character itself (a file that says UTF-8 but was written in the system's
// code page), so no byte is lost.
std::string windows1252FromUtf8(std::string_view text, int& replaced);

// A TEXT value: backslash, semicolon, comma and line breaks escaped.
std::string escapeText(std::string_view text);
// The text a TEXT value stands for: "\\", "\;", "\,", "\n" and "\N" undone; a backslash
// before anything else stays as it is.
std::string unescapeText(std::string_view value);

// Case-insensitive comparison of ASCII names (property, parameter and rule names).
bool sameName(std::string_view a, std::string_view b);

// One logical line "NAME;PARAM=VALUE;...:VALUE". The views stay valid until the next
// line is read.
struct ContentLine {
    std::string_view name;
    std::string_view params; // from the first ';' to the ':' that ends them, or empty
    std::string_view value;
};

// The value of a parameter ("TZID", "VALUE", ...) in `params`, without its quotes.
std::optional<std::string_view> parameter(std::string_view params, std::string_view name);

// Reads the logical lines of a text: CRLF, LF or CR end a line, a line that begins with a
// blank or a tab continues the one before (the fold may fall inside a UTF-8 sequence),
// and a UTF-8 byte-order mark at the start is passed over.
class ContentLineReader {
  public:
    explicit ContentLineReader(std::string_view text);
    // The next line that has a name; false at the end.
    bool next(ContentLine& line);
    // The number of the physical line the last line began on, from 1.
    int lineNumber() const { return lineNumber_; }

  private:
    std::string_view physicalLine();

    std::string_view text_;
    std::size_t at_ = 0;
    int physical_ = 0;
    int lineNumber_ = 0;
    std::string joined_; // a line that was folded
};

// Appends a logical line folded at 75 octets (never inside a UTF-8 sequence) with CRLF.
void appendFolded(std::string& out, std::string_view line);
