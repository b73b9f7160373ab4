// Content lines, TEXT escapes and the two code pages of iCalendar files.
#include "store/ical/ical_text.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

// Windows-1252 0x80-0x9F as Unicode; the undefined ones map to the C1 control of the
// same number, as Windows' own conversion does.
constexpr std::array<std::uint16_t, 32> HIGH_CONTROLS{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::uint32_t unicodeOf(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? HIGH_CONTROLS[byte - 0x80] : byte;
}

void appendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The Windows-1252 byte of a character, or none.
std::optional<char> windows1252Of(std::uint32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
        return static_cast<char>(code);
    }
    for (std::size_t i = 0; i < HIGH_CONTROLS.size(); ++i) {
        if (HIGH_CONTROLS[i] == code) {
            return static_cast<char>(0x80 + i);
        }
    }
    return std::nullopt;
}

// The character of a well-formed UTF-8 sequence at `at` and its length; length 0 when
// the bytes there are no such sequence (overlong forms and surrogates included).
std::uint32_t decodeUtf8(std::string_view text, std::size_t at, std::size_t& length) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char first = byte(0);
    length = first < 0x80 ? 1 : first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC2 ? 2 : 0;
    if (length == 0 || first > 0xF4 || at + length > text.size()) {
        length = 0;
        return 0;
    }
    std::uint32_t code = length == 1 ? first : first & (0x3F >> (length - 1));
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            length = 0;
            return 0;
        }
        code = (code << 6) | (byte(i) & 0x3F);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    if (overlong || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        length = 0;
        return 0;
    }
    return code;
}

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

std::string utf8FromWindows1252(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (const char c : text) {
        appendUtf8(out, unicodeOf(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string windows1252FromUtf8(std::string_view text, int& replaced) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = 0;
        const std::uint32_t code = decodeUtf8(text, at, length);
        if (length == 0) {
            out += text[at++]; // not UTF-8: the byte as it stands
            continue;
        }
        if (const auto byte = windows1252Of(code)) {
            out += *byte;
        } else {
            out += '?';
            ++replaced;
        }
        at += length;
    }
    return out;
}

std::string escapeText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' || c == ';' || c == ',') {
            out += '\\';
            out += c;
        } else if (c == '\r' || c == '\n') {
            out += "\\n";
            i += c == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 1 : 0;
        } else {
            out += c;
        }
    }
    return out;
}

std::string unescapeText(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const char next = value[i + 1];
        if (next == 'n' || next == 'N') {
            out += '\n';
            ++i;
        } else if (next == '\\' || next == ';' || next == ',') {
            out += next;
            ++i;
        } else {
            out += '\\';
        }
    }
    return out;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (upper(a[i]) != upper(b[i])) {
            return false;
        }
    }
    return true;
}

std::optional<std::string_view> parameter(std::string_view params, std::string_view name) {
    std::size_t at = 0;
    while (at < params.size() && params[at] == ';') {
        const std::size_t start = ++at;
        while (at < params.size() && params[at] != '=' && params[at] != ';') {
            ++at;
        }
        const std::string_view key = params.substr(start, at - start);
        std::string_view value;
        if (at < params.size() && params[at] == '=') {
            ++at;
            const std::size_t valueStart = at;
            bool quoted = false;
            while (at < params.size() && (quoted || params[at] != ';')) {
                quoted = params[at] == '"' ? !quoted : quoted;
                ++at;
            }
            value = params.substr(valueStart, at - valueStart);
        }
        if (sameName(key, name)) {
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
                value = value.substr(1, value.size() - 2);
            }
            return value;
        }
    }
    return std::nullopt;
}

ContentLineReader::ContentLineReader(std::string_view text) : text_(text) {
    if (text_.starts_with("\xEF\xBB\xBF")) {
        at_ = 3;
    }
}

std::string_view ContentLineReader::physicalLine() {
    const std::size_t start = at_;
    std::size_t end = start;
    while (end < text_.size() && text_[end] != '\n' && text_[end] != '\r') {
        ++end;
    }
    const bool crLf = end + 1 < text_.size() && text_[end] == '\r' && text_[end + 1] == '\n';
    at_ = std::min(text_.size(), end + (crLf ? 2 : 1));
    ++physical_;
    return text_.substr(start, end - start);
}

bool ContentLineReader::next(ContentLine& line) {
    while (at_ < text_.size()) {
        lineNumber_ = physical_ + 1;
        std::string_view logical = physicalLine();
        const auto continues = [this] {
            return at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t');
        };
        if (continues()) {
            joined_.assign(logical);
            while (continues()) {
                joined_ += physicalLine().substr(1);
            }
            logical = joined_;
        }
        // The name ends at the first ';' or ':'; the value after the first ':' outside quotes.
        std::size_t at = 0;
        while (at < logical.size() && logical[at] != ';' && logical[at] != ':') {
            ++at;
        }
        if (at == 0) {
            continue; // an empty line, or one without a name
        }
        line.name = logical.substr(0, at);
        const std::size_t paramsStart = at;
        bool quoted = false;
        while (at < logical.size() && (quoted || logical[at] != ':')) {
            quoted = logical[at] == '"' ? !quoted : quoted;
            ++at;
        }
        line.params = logical.substr(paramsStart, at - paramsStart);
        line.value = at < logical.size() ? logical.substr(at + 1) : std::string_view{};
        return true;
    }
    return false;
}

void appendFolded(std::string& out, std::string_view line) {
    constexpr std::size_t OCTETS = 75;
    std::size_t room = OCTETS;
    while (line.size() > room) {
        std::size_t cut = room;
        // Never inside a UTF-8 sequence: back up to the byte that starts a character.
        while (cut > 1 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        out.append(line.substr(0, cut));
        out += "\r\n ";
        line.remove_prefix(cut);
        room = OCTETS - 1; // the blank that begins the next line counts
    }
    out.append(line);
    out += "\r\n";
}
