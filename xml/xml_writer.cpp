// The XML writer: a fixed declaration line, then one line per tag, CR LF.
#include <utility>

#include "xml/xml.h"

namespace {

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n";

// A value cannot hold a raw double quote, "<" or ">" and still read back, so those
// are written as &quot; &lt; &gt;. An "&" is written as &amp; only where the text
// from it on would otherwise read back as one of these four sequences; every other
// "&" stays raw, as files without such characters have always had it.
bool isSpecial(char c) {
    return c == '"' || c == '<' || c == '>' || c == '&';
}

void appendValue(std::string& out, std::string_view value) {
    std::size_t pos = 0;
    for (;;) {
        std::size_t special = pos;
        while (special < value.size() && !isSpecial(value[special]))
            ++special;
        out.append(value.substr(pos, special - pos));
        if (special == value.size())
            return;
        const std::string_view rest = value.substr(special);
        switch (rest[0]) {
        case '"':
            out += "&quot;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default: {
            const bool looksEscaped = rest.starts_with("&quot;") || rest.starts_with("&lt;") ||
                                      rest.starts_with("&gt;") || rest.starts_with("&amp;");
            out += looksEscaped ? "&amp;" : "&";
        }
        }
        pos = special + 1;
    }
}

void appendStartTag(std::string& out, const XmlElement& element) {
    out += '<';
    out += element.name();
    for (int i = 0; i < element.attributeCount(); ++i) {
        const XmlAttribute& a = *element.attributeAt(i);
        out += ' ';
        out += a.name();
        if (const auto value = a.value()) {
            out += "=\"";
            appendValue(out, *value);
            out += '"';
        }
    }
    out += element.isEmpty() ? " />\r\n" : ">\r\n";
}

void appendEndTag(std::string& out, const XmlElement& element) {
    out += "</";
    out += element.name();
    out += ">\r\n";
}

} // namespace

std::string XmlTranslator::buildDocument(const XmlDocument& document) {
    trace("%d start building xml document", traceId_);
    std::string out(kDeclaration);

    // Depth first without recursion: each open element with the index of its next child.
    std::vector<std::pair<const XmlElement*, int>> open;
    for (int i = 0; i < document.elementCount(); ++i) {
        const XmlElement* element = document.elementAt(i);
        for (;;) {
            appendStartTag(out, *element);
            if (!element->isEmpty())
                open.emplace_back(element, 0);
            element = nullptr;
            while (!open.empty() && !element) {
                auto& [holder, next] = open.back();
                if (next < holder->childCount()) {
                    element = holder->childAt(next++);
                } else {
                    appendEndTag(out, *holder);
                    open.pop_back();
                }
            }
            if (!element)
                break;
        }
    }
    trace("%d ready building xml document", traceId_);
    return out;
}
