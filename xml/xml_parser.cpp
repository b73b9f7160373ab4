// The forgiving XML parser: declaration, pre-check, then the elements of the text.
#include <cstdio>

#include "xml/xml.h"
#include "xml/xml_scanner.h"

namespace {

// Deeper tags count as Malformed, which keeps the recursion off the stack's limit.
constexpr int kMaxDepth = 500;

// A failed element's content is read again by its parent, so every unclosed level
// doubles the reading of what follows it. The work is bounded by a budget of bytes
// passed over, 64 for each byte of the text, and an element made costs 64 more; once
// it is spent, every further tag counts as Malformed and the reading ends quietly.
// A cut-off appointment file (three open levels, each date read eight times) needs
// less than half of it.
constexpr std::size_t kElementCost = 64;
constexpr std::size_t kBudgetPerByte = 64;
constexpr std::size_t kBudgetBase = 4096;

// Inside values, &quot; &lt; &gt; and &amp; stand for the characters the writer
// could not write raw; every other "&" is its own.
struct Entity {
    std::string_view text;
    char character;
};
constexpr Entity kEntities[] = {{"&quot;", '"'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}};

std::string decodeValue(std::string_view raw) {
    std::string value;
    value.reserve(raw.size());
    std::size_t pos = 0;
    while (pos < raw.size()) {
        const std::size_t amp = raw.find('&', pos);
        if (amp == std::string_view::npos) {
            value.append(raw.substr(pos));
            break;
        }
        value.append(raw.substr(pos, amp - pos));
        pos = amp + 1;
        value.push_back('&');
        for (const Entity& entity : kEntities) {
            if (raw.substr(amp).starts_with(entity.text)) {
                value.back() = entity.character;
                pos = amp + entity.text.size();
                break;
            }
        }
    }
    return value;
}

} // namespace

class XmlParser {
  public:
    XmlParser(std::string_view text, XmlDocument& document)
        : text_(text), document_(document), budget_(kBudgetPerByte * text.size() + kBudgetBase) {}

    // The "<?xml" declaration (after comments only) and the pre-check: some element
    // of the text must be closed, by a self-closing tag or by an end tag after a
    // start tag.
    bool accepts() {
        XmlTag tag = scanXmlTag(text_, 0);
        while (tag.kind == XmlTagKind::Comment)
            tag = scanXmlTag(text_, tag.end);
        if (tag.kind != XmlTagKind::Declaration || !text_.substr(tag.start).starts_with("<?xml"))
            return false;
        declarationEnd_ = tag.end;

        tag = scanXmlTag(text_, declarationEnd_);
        while (tag.kind == XmlTagKind::Comment || tag.kind == XmlTagKind::Declaration ||
               tag.kind == XmlTagKind::EndTag)
            tag = scanXmlTag(text_, tag.end);
        if (tag.kind == XmlTagKind::SelfClosing)
            return true;
        // A StartTag, a Malformed tag or End: from there an element must be closed.
        do {
            tag = scanXmlTag(text_, tag.end);
            if (tag.kind == XmlTagKind::SelfClosing || tag.kind == XmlTagKind::EndTag)
                return true;
        } while (tag.kind != XmlTagKind::End && tag.kind != XmlTagKind::Malformed);
        return false;
    }

    // The top level, after accepts(): every StartTag, SelfClosing tag and
    // Declaration becomes an element; End or a Malformed tag ends the reading.
    void readTopLevel() {
        std::size_t pos = declarationEnd_;
        for (;;) {
            const XmlTag tag = takeTag(pos, 1);
            switch (tag.kind) {
            case XmlTagKind::End:
            case XmlTagKind::Malformed:
                return;
            case XmlTagKind::Comment:
            case XmlTagKind::EndTag:
                pos = tag.end;
                break;
            case XmlTagKind::StartTag:
            case XmlTagKind::SelfClosing:
            case XmlTagKind::Declaration: {
                spend(kElementCost);
                auto& elements = document_.elements_;
                elements.push_back(
                    std::unique_ptr<XmlElement>(new XmlElement(nullptr, std::nullopt, true)));
                pos = tag.end;
                readElement(*elements.back(), tag, pos, 1);
                break;
            }
            }
        }
    }

  private:
    // The next tag from `pos`, charged to the budget; a tag that would make an
    // element too deep, or any tag once the budget is spent, counts as Malformed.
    XmlTag takeTag(std::size_t pos, int depth) {
        XmlTag tag = scanXmlTag(text_, pos);
        spend(tag.end - pos + 1);
        const bool makesElement =
            tag.kind == XmlTagKind::StartTag || tag.kind == XmlTagKind::SelfClosing;
        if (budget_ == 0 || (makesElement && depth > kMaxDepth))
            tag.kind = XmlTagKind::Malformed;
        return tag;
    }

    void spend(std::size_t cost) { budget_ = budget_ > cost ? budget_ - cost : 0; }

    std::size_t skipSpace(std::size_t pos) const {
        while (pos < text_.size() && isXmlSpace(text_[pos]))
            ++pos;
        return pos;
    }

    // Up to the first whitespace or any of `stops`, or the end of the text.
    std::size_t wordEnd(std::size_t pos, std::string_view stops) const {
        while (pos < text_.size() && !isXmlSpace(text_[pos]) &&
               stops.find(text_[pos]) == std::string_view::npos)
            ++pos;
        return pos;
    }

    // One attribute from `pos`; false (with `pos` past the whitespace) when none follows.
    bool readAttribute(XmlElement& element, std::size_t& pos) {
        pos = skipSpace(pos);
        const std::size_t nameEnd = wordEnd(pos, "/=>");
        if (nameEnd == pos || nameEnd == text_.size())
            return false;
        const std::string_view name = text_.substr(pos, nameEnd - pos);
        pos = nameEnd;
        if (text_[pos] != '=') {
            element.addAttribute(name, std::nullopt);
            return true;
        }
        ++pos;
        if (pos == text_.size() || text_[pos] != '"') {
            element.addAttribute(name, std::nullopt);
            return true;
        }
        const std::size_t close = text_.find('"', pos + 1);
        if (close == std::string_view::npos) {
            element.addAttribute(name, std::nullopt);
            pos = text_.size();
            return true;
        }
        const std::string_view raw = text_.substr(pos + 1, close - pos - 1);
        if (raw.find('&') == std::string_view::npos)
            element.addAttribute(name, raw);
        else
            element.addAttribute(name, decodeValue(raw));
        pos = close + 1;
        return true;
    }

    // Reads the element of `tag` (StartTag, SelfClosing, or a top-level Declaration).
    // `resume` stands on the tag's ">"; a successful reading moves it to where the
    // holder goes on: past a self-closing tag, or onto the tag that ended this
    // element, which the holder takes again. A failed reading leaves it, so that the
    // holder reads this element's content once more as its own.
    bool readElement(XmlElement& element, const XmlTag& tag, std::size_t& resume, int depth) {
        std::size_t pos = tag.start + 1;
        const std::size_t nameEnd = isXmlSpace(text_[pos]) ? pos : wordEnd(pos, "/>");
        if (nameEnd == pos || nameEnd == text_.size())
            return false;
        element.name_.assign(text_.substr(pos, nameEnd - pos));
        element.hasName_ = true;
        pos = nameEnd;
        while (readAttribute(element, pos)) {
        }
        pos = skipSpace(pos);
        spend(pos - tag.start);
        if (pos == text_.size() || text_[pos] != '>')
            return false;
        if (tag.kind == XmlTagKind::SelfClosing) {
            resume = pos;
            return true;
        }

        XmlTagKind previous = XmlTagKind::End; // no tag taken yet
        for (;;) {
            const XmlTag next = takeTag(pos, depth + 1);
            switch (next.kind) {
            case XmlTagKind::Malformed:
                return false;
            case XmlTagKind::StartTag:
            case XmlTagKind::SelfClosing: {
                spend(kElementCost);
                element.isEmpty_ = false;
                element.children_.push_back(
                    std::unique_ptr<XmlElement>(new XmlElement(&element, std::nullopt, true)));
                pos = next.end;
                readElement(*element.children_.back(), next, pos, depth + 1);
                break;
            }
            case XmlTagKind::EndTag:
                if (previous == XmlTagKind::StartTag) {
                    pos = next.end; // closes the child just read
                    break;
                }
                resume = next.start;
                return true;
            case XmlTagKind::End:
            case XmlTagKind::Comment:
            case XmlTagKind::Declaration:
                if (previous == XmlTagKind::StartTag)
                    return false;
                resume = next.start;
                return true;
            }
            previous = next.kind;
        }
    }

    std::string_view text_;
    XmlDocument& document_;
    std::size_t budget_;
    std::size_t declarationEnd_ = 0;
};

bool XmlTranslator::buildStructure(std::string_view text, XmlDocument& document) {
    trace("%d start building xml structure", traceId_);
    if (text.data() == nullptr) {
        trace("%d tried to start xml translator without delivering a document", traceId_);
        return false;
    }
    text = text.substr(0, text.find('\0'));

    XmlParser parser(text, document);
    const bool accepted = parser.accepts();
    if (accepted) {
        parser.readTopLevel();
        trace("%d processed xml document. Found %d first level elements", document.traceId(),
              document.elementCount());
    } else {
        trace("%d xml parser received a host message which is not a valid xml file",
              document.traceId());
        document.clear();
    }
    trace("%d ready building xml structure", traceId_);
    return accepted;
}

void XmlTranslator::trace(const char* format, int first, int second) const {
    if (!trace_)
        return;
    char line[128];
    const int length = std::snprintf(line, sizeof line, format, first, second);
    if (length > 0)
        trace_(std::string_view(line, static_cast<std::size_t>(length)));
}
