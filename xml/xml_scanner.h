// The XML parser's tag scanner: finds the next tag of a text and tells its kind.
#pragma once

#include <cstddef>
#include <string_view>

enum class XmlTagKind {
    End,         // no further "<" in the text
    Malformed,   // "<" without ">", or "<?" / "<!" that is neither of the next two
    Comment,     // "<!-" ... "-" ">"
    Declaration, // "<?" ... "?" ">"
    SelfClosing, // ... "/" ">"
    EndTag,      // "</" ...
    StartTag,
};

struct XmlTag {
    XmlTagKind kind;
    std::size_t start; // the "<"; the end of the text for End
    std::size_t end;   // the ">"; the end of the text for End and a "<" without ">"
};

// Scans from `from`: a "<" there is the tag's own, otherwise the next one is looked for.
// A tag ends at the first ">" after its "<", wherever that stands.
XmlTag scanXmlTag(std::string_view text, std::size_t from);

// Space, tab, line feed, vertical tab, form feed, carriage return.
inline bool isXmlSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
