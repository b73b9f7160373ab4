// The XML writer: a fixed declaration line, then one line per tag, CR LF.
#include <array>
#include <cstring>
#include <vector>

#include "xml/xml.h"
#include "xml/xml_storage.h"

namespace {

using xml_detail::FLAG;
using xml_detail::NONE;
using xml_detail::Storage;

constexpr std::string_view DECLARATION = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n";

// A value cannot hold a raw double quote, "<" or ">" and still read back, so those
// are written as &quot; &lt; &gt;. An "&" is written as &amp; only where the text
// from it on would otherwise read back as one of these four sequences; every other
// "&" stays raw, as files without such characters have always had it.
constexpr std::array<bool, 256> SPECIAL = [] {
    std::array<bool, 256> special{};
    for (const unsigned char c : std::string_view("\"<>&"))
        special[c] = true;
    return special;
}();

bool isSpecial(char c) {
    return SPECIAL[static_cast<unsigned char>(c)];
}

} // namespace

namespace xml_detail {

// Writes the tree into one string.
class Writer {
  public:
    explicit Writer(const Storage& storage) : storage_(storage) {}

    std::string write() {
        // About as much as the tree holds: the text then grows once at most.
        out_.reserve(DECLARATION.size() + storage_.bytes);
        out_ = DECLARATION;
        walk();
        return std::move(out_);
    }

  private:
    // Depth first without recursion, along each element's list of children.
    void walk() {
        std::vector<const XmlElement*> open; // each open element, to be closed
        std::uint32_t next = storage_.firstTop;
        while (next != NONE) {
            const XmlElement& element = storage_.element(next);
            startTag(element);
            if (element.firstChild_ != NONE) {
                open.push_back(&element);
                next = element.firstChild_;
                continue;
            }
            if (!element.isEmpty())
                endTag(element);
            // Past the last child: close the holders whose last child this was.
            std::uint32_t link = element.next_;
            while ((link & FLAG) && !open.empty()) {
                endTag(*open.back());
                link = open.back()->next_;
                open.pop_back();
            }
            next = (link & FLAG) ? NONE : link;
        }
    }

    std::string_view name(const XmlElement& element) const {
        return element.hasName() ? storage_.string(element.name_) : std::string_view();
    }

    void startTag(const XmlElement& element) {
        out_ += '<';
        out_ += name(element);
        if (element.attributes_ != NONE) {
            const std::uint32_t list = element.attributes_;
            const std::uint32_t count = storage_.count(list);
            for (std::uint32_t i = 0; i < count; ++i) {
                const XmlAttribute& attribute = storage_.attribute(list, i);
                out_ += ' ';
                out_ += storage_.string(attribute.name_);
                if (attribute.value_ != NONE) {
                    out_ += "=\"";
                    appendValue(storage_.string(attribute.value_));
                    out_ += '"';
                }
            }
        }
        out_ += element.isEmpty() ? " />\r\n" : ">\r\n";
    }

    void endTag(const XmlElement& element) {
        out_ += "</";
        out_ += name(element);
        out_ += ">\r\n";
    }

    void appendValue(std::string_view value) {
        std::size_t pos = 0;
        for (;;) {
            std::size_t special = pos;
            while (special < value.size() && !isSpecial(value[special]))
                ++special;
            out_.append(value.data() + pos, special - pos);
            if (special == value.size())
                return;
            const std::string_view rest = value.substr(special);
            switch (rest[0]) {
            case '"':
                out_ += "&quot;";
                break;
            case '<':
                out_ += "&lt;";
                break;
            case '>':
                out_ += "&gt;";
                break;
            default: {
                const bool looksEscaped = rest.starts_with("&quot;") || rest.starts_with("&lt;") ||
                                          rest.starts_with("&gt;") || rest.starts_with("&amp;");
                out_ += looksEscaped ? "&amp;" : "&";
            }
            }
            pos = special + 1;
        }
    }

    const Storage& storage_;
    std::string out_;
};

} // namespace xml_detail

std::string XmlTranslator::buildDocument(const XmlDocument& document) {
    trace("%d start building xml document", traceId_);
    std::string out = xml_detail::Writer(*document.storage_).write();
    trace("%d ready building xml document", traceId_);
    return out;
}
