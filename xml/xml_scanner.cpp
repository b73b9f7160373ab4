// The XML parser's tag scanner.
#include "xml/xml_scanner.h"

#include <cstring>

namespace {

// The position of the first `c` at or after `from`, or the text's size.
std::size_t findByte(std::string_view text, std::size_t from, char c) {
    if (from >= text.size())
        return text.size();
    const void* hit = std::memchr(text.data() + from, c, text.size() - from);
    return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text.data())
               : text.size();
}

XmlTagKind classify(std::string_view text, std::size_t start, std::size_t end) {
    const char first = text[start + 1];
    const char last = text[end - 1];
    if (first == '?')
        return last == '?' ? XmlTagKind::Declaration : XmlTagKind::Malformed;
    if (first == '!')
        return text[start + 2] == '-' && last == '-' ? XmlTagKind::Comment : XmlTagKind::Malformed;
    if (last == '/')
        return XmlTagKind::SelfClosing;
    if (first == '/')
        return XmlTagKind::EndTag;
    return XmlTagKind::StartTag;
}

} // namespace

XmlTag scanXmlTag(std::string_view text, std::size_t from) {
    const std::size_t start = findByte(text, from, '<');
    if (start == text.size())
        return {XmlTagKind::End, start, start};
    const std::size_t end = findByte(text, start + 1, '>');
    if (end == text.size())
        return {XmlTagKind::Malformed, start, end};
    // Here start + 1 <= end, and for "<!" also start + 2 <= end: every index is inside.
    return {classify(text, start, end), start, end};
}
