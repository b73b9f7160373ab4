// The forgiving XML parser: declaration, pre-check, then the elements of the text.
#include <cstdio>
#include <vector>

#include "xml/xml.h"
#include "xml/xml_scanner.h"
#include "xml/xml_storage.h"

using xml_detail::Storage;

namespace {

// Elements deeper than this are not made: the subtree of a deeper tag is read only
// to find where it ends, and the reading goes on after it in its right place.
constexpr std::size_t MAX_DEPTH = 500;

// A failed element's content is read again by its parent, so every unclosed level
// doubles the reading of what follows it. The work is bounded by a budget of bytes
// passed over, 64 for each byte of the text, and an element made costs 64 more; once
// it is spent, every further tag counts as Malformed and the reading ends quietly.
// A cut-off appointment file (three open levels, each date read eight times) needs
// less than half of it.
constexpr std::size_t ELEMENT_COST = 64;
constexpr std::size_t BUDGET_PER_BYTE = 64;
constexpr std::size_t BUDGET_BASE = 4096;

// The copies that reading a failed element's content again makes share the attribute
// list of the first reading; so many earlier readings are remembered at a time.
constexpr std::size_t MAX_SHADOWS = 64;

// Inside values, &quot; &lt; &gt; and &amp; stand for the characters the writer
// could not write raw; every other "&" is its own.
struct Entity {
    std::string_view text;
    char character;
};
constexpr Entity ENTITIES[] = {{"&quot;", '"'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}};

// Decodes into `out`, which has room for raw.size() bytes; gives the decoded length.
std::size_t decodeValue(std::string_view raw, char* out) {
    std::size_t length = 0;
    std::size_t pos = 0;
    while (pos < raw.size()) {
        if (raw[pos] != '&') {
            out[length++] = raw[pos++];
            continue;
        }
        char character = '&';
        std::size_t taken = 1;
        for (const Entity& entity : ENTITIES) {
            if (raw.substr(pos).starts_with(entity.text)) {
                character = entity.character;
                taken = entity.text.size();
                break;
            }
        }
        out[length++] = character;
        pos += taken;
    }
    return length;
}

// One attribute as read from a tag, before it is stored: positions in the text.
struct RawAttribute {
    std::uint32_t name;
    std::uint32_t nameLength;
    std::uint32_t value; // NONE: no value
    std::uint32_t valueLength;
};

} // namespace

class XmlParser {
  public:
    XmlParser(std::string_view text, XmlDocument& document)
        : text_(text), storage_(*document.storage_),
          budget_(BUDGET_PER_BYTE * text.size() + BUDGET_BASE),
          memoryLimit_(storage_.bytes + XmlTranslator::MEMORY_PER_BYTE * text.size() +
                       XmlTranslator::MEMORY_ALLOWANCE) {}

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
    // False when the tree outgrew its memory limit.
    bool readTopLevel() {
        std::size_t pos = declarationEnd_;
        for (;;) {
            const XmlTag tag = takeTag(pos);
            switch (tag.kind) {
            case XmlTagKind::End:
            case XmlTagKind::Malformed:
                return !overLimit_;
            case XmlTagKind::Comment:
            case XmlTagKind::EndTag:
                pos = tag.end;
                break;
            case XmlTagKind::StartTag:
            case XmlTagKind::SelfClosing:
            case XmlTagKind::Declaration:
                spend(ELEMENT_COST);
                pos = tag.end;
                readElement(newElement(xml_detail::TOP_LEVEL, storage_.lastTop, tag), tag, pos);
                break;
            }
        }
    }

  private:
    static constexpr std::uint32_t NONE = xml_detail::NONE;

    // An element being read: its index, its last child so far, and the ">" of its own
    // tag, where its holder goes on if it fails.
    struct Frame {
        std::uint32_t element;
        std::uint32_t lastChild;
        std::uint32_t tagEnd;
    };

    // Elements made while a failed element was open, which its holder now reads again:
    // the range still to be matched, in the order they were made.
    struct Shadow {
        std::uint32_t next;
        std::uint32_t end;
    };

    // The next tag from `pos`, charged to the budget; once the budget is spent, every
    // tag counts as Malformed.
    XmlTag takeTag(std::size_t pos) {
        XmlTag tag = scanXmlTag(text_, pos);
        spend(tag.end - pos + 1);
        if (budget_ == 0)
            tag.kind = XmlTagKind::Malformed;
        return tag;
    }

    void spend(std::size_t cost) { budget_ = budget_ > cost ? budget_ - cost : 0; }

    // The tree, and what the reading holds besides: the open tags below the depth bound
    // and the attributes of one tag.
    std::size_t memoryInUse() const {
        return storage_.bytes + phantoms_.capacity() * sizeof(std::uint32_t) +
               attributes_.capacity() * sizeof(RawAttribute);
    }

    // Room for one more item in a list of the reading's own, if the memory limit allows
    // the list to grow (its old and new buffer both, while it grows).
    template <typename List> bool roomForOneMore(List& list) {
        if (list.size() < list.capacity())
            return true;
        const std::size_t grown = list.capacity() * 2 + 16;
        if (!checkMemory(grown * sizeof(list[0])))
            return false;
        list.reserve(grown);
        return true;
    }

    // Past the memory limit (with `more` bytes to come) the reading stops at once, and
    // the text counts as rejected. False then.
    bool checkMemory(std::size_t more = 0) {
        if (memoryInUse() + more > memoryLimit_) {
            overLimit_ = true;
            budget_ = 0;
        }
        return !overLimit_;
    }

    std::size_t skipSpace(std::size_t pos) const {
        while (pos < text_.size() && isXmlSpace(text_[pos]))
            ++pos;
        return pos;
    }

    // Up to the first whitespace or any of `stops`, or the end of the text.
    template <char A, char B, char C = A> std::size_t wordEnd(std::size_t pos) const {
        while (pos < text_.size()) {
            const char c = text_[pos];
            if (isXmlSpace(c) || c == A || c == B || c == C)
                break;
            ++pos;
        }
        return pos;
    }

    std::uint32_t newElement(std::uint32_t parent, std::uint32_t last, const XmlTag& tag) {
        const std::uint32_t index = storage_.newElement(true);
        storage_.element(index).source_ = static_cast<std::uint32_t>(tag.start) | xml_detail::FLAG;
        storage_.link(parent, last, index);
        checkMemory();
        return index;
    }

    static std::uint32_t sourceOf(const XmlElement& element) {
        return element.source_ & xml_detail::INDEX_MASK;
    }

    // One attribute from `pos`; false (with `pos` past the whitespace) when none follows.
    bool readAttribute(std::size_t& pos) {
        pos = skipSpace(pos);
        if (overLimit_)
            return false;
        const std::size_t nameEnd = wordEnd<'/', '=', '>'>(pos);
        if (nameEnd == pos || nameEnd == text_.size())
            return false;
        RawAttribute attribute{static_cast<std::uint32_t>(pos),
                               static_cast<std::uint32_t>(nameEnd - pos), NONE, 0};
        pos = nameEnd;
        if (text_[pos] == '=') {
            ++pos;
            if (pos < text_.size() && text_[pos] == '"') {
                const std::size_t close = text_.find('"', pos + 1);
                if (close == std::string_view::npos) {
                    pos = text_.size();
                } else {
                    attribute.value = static_cast<std::uint32_t>(pos + 1);
                    attribute.valueLength = static_cast<std::uint32_t>(close - pos - 1);
                    pos = close + 1;
                }
            }
        }
        if (!roomForOneMore(attributes_))
            return false;
        attributes_.push_back(attribute);
        return true;
    }

    // The attribute list of an earlier reading of the same tag, if one is at hand.
    bool sharedAttributes(std::uint32_t source, std::uint32_t& list) {
        while (!shadows_.empty()) {
            Shadow& shadow = shadows_.back();
            while (shadow.next != shadow.end && sourceOf(storage_.element(shadow.next)) < source)
                shadow.next = Storage::following(shadow.next);
            if (shadow.next == shadow.end) {
                shadows_.pop_back();
                continue;
            }
            const XmlElement& earlier = storage_.element(shadow.next);
            if (sourceOf(earlier) != source)
                return false;
            list = earlier.attributes_;
            shadow.next = Storage::following(shadow.next);
            return true;
        }
        return false;
    }

    void storeAttributes(XmlElement& element) {
        if (attributes_.empty() || overLimit_)
            return;
        if (sharedAttributes(sourceOf(element), element.attributes_))
            return;
        const auto count = static_cast<std::uint32_t>(attributes_.size());
        if (!checkMemory((count + 1) * sizeof(XmlAttribute)))
            return;
        const std::uint32_t list = storage_.newList(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            const RawAttribute& a = attributes_[i];
            const std::uint32_t name = storage_.storeName(text_.substr(a.name, a.nameLength));
            std::uint32_t value = NONE;
            if (a.value != NONE) {
                const std::string_view raw = text_.substr(a.value, a.valueLength);
                if (raw.find('&') == std::string_view::npos) {
                    value = storage_.storeString(raw);
                } else {
                    char* decoded = storage_.reserveString(raw.size(), value);
                    storage_.setLength(value,
                                       static_cast<std::uint32_t>(decodeValue(raw, decoded)));
                }
            }
            Storage::set(storage_.attribute(list, i), name, value);
        }
        storage_.setCount(list, count);
        element.attributes_ = list;
    }

    // Reads the name and attributes of the tag into the element (none: they are only
    // passed over). True when the tag's ">" was reached; `end` is then on it.
    bool readTag(std::uint32_t index, const XmlTag& tag, std::size_t& end) {
        std::size_t pos = tag.start + 1;
        const std::size_t nameEnd = wordEnd<'/', '>'>(pos);
        if (nameEnd == pos || nameEnd == text_.size())
            return false;
        attributes_.clear();
        const std::size_t nameStart = pos;
        pos = nameEnd;
        while (readAttribute(pos)) {
        }
        pos = skipSpace(pos);
        spend(pos - tag.start);
        if (index != NONE && !overLimit_) {
            XmlElement& element = storage_.element(index);
            element.name_ = storage_.storeName(text_.substr(nameStart, nameEnd - nameStart));
            storeAttributes(element);
            checkMemory();
        }
        end = pos;
        return pos < text_.size() && text_[pos] == '>';
    }

    // Reads the element of `tag` (StartTag, SelfClosing, or a top-level Declaration).
    // `resume` stands on the tag's ">"; a successful reading moves it to where the
    // holder goes on: past a self-closing tag, or onto the tag that ended this
    // element, which the holder takes again. A failed reading leaves it, so that the
    // holder reads this element's content once more as its own.
    //
    // The reading keeps its own stack of open elements instead of recursing, so no
    // nesting can exhaust the machine's stack.
    void readElement(std::uint32_t index, const XmlTag& tag, std::size_t& resume) {
        std::size_t pos = 0;
        if (!readTag(index, tag, pos))
            return;
        if (tag.kind == XmlTagKind::SelfClosing) {
            resume = pos;
            return;
        }
        frames_.clear();
        phantoms_.clear();
        frames_.push_back({index, NONE, static_cast<std::uint32_t>(tag.end)});
        XmlTagKind previous = XmlTagKind::End; // no tag taken yet

        // Closes the innermost open element: the holder goes on from `from`, having
        // just read a StartTag child.
        auto close = [&](bool succeeded, std::size_t from) {
            std::uint32_t tagEnd = 0;
            if (!phantoms_.empty()) {
                tagEnd = phantoms_.back();
                phantoms_.pop_back();
            } else {
                const Frame frame = frames_.back();
                frames_.pop_back();
                tagEnd = frame.tagEnd;
                if (!succeeded && shadows_.size() < MAX_SHADOWS &&
                    Storage::following(frame.element) != storage_.end())
                    shadows_.push_back({Storage::following(frame.element), storage_.end()});
            }
            pos = succeeded ? from : tagEnd;
            if (frames_.empty() && succeeded)
                resume = from;
            previous = XmlTagKind::StartTag;
        };

        while (!frames_.empty()) {
            const std::size_t depth = frames_.size() + phantoms_.size() + 1;
            const XmlTag next = takeTag(pos);
            switch (next.kind) {
            case XmlTagKind::Malformed:
                close(false, 0);
                break;
            case XmlTagKind::StartTag:
            case XmlTagKind::SelfClosing: {
                spend(ELEMENT_COST);
                std::uint32_t child = NONE;
                if (phantoms_.empty() && depth <= MAX_DEPTH) {
                    Frame& holder = frames_.back();
                    storage_.element(holder.element).source_ &= ~xml_detail::FLAG;
                    child = newElement(holder.element, holder.lastChild, next);
                    holder.lastChild = child;
                }
                previous = next.kind;
                std::size_t end = 0;
                if (!readTag(child, next, end)) {
                    pos = next.end;
                } else if (next.kind == XmlTagKind::SelfClosing) {
                    pos = end;
                } else {
                    const auto tagEnd = static_cast<std::uint32_t>(next.end);
                    if (child == NONE) {
                        // Past the memory limit every further tag is Malformed anyway.
                        if (roomForOneMore(phantoms_))
                            phantoms_.push_back(tagEnd);
                    } else
                        frames_.push_back({child, NONE, tagEnd});
                    pos = end;
                    previous = XmlTagKind::End;
                }
                break;
            }
            case XmlTagKind::EndTag:
                if (previous == XmlTagKind::StartTag) {
                    pos = next.end; // closes the child just read
                    previous = XmlTagKind::EndTag;
                } else {
                    close(true, next.start);
                }
                break;
            case XmlTagKind::End:
            case XmlTagKind::Comment:
            case XmlTagKind::Declaration:
                close(previous != XmlTagKind::StartTag, next.start);
                break;
            }
        }
    }

    std::string_view text_;
    Storage& storage_;
    std::size_t budget_;
    std::size_t memoryLimit_;
    bool overLimit_ = false;
    std::size_t declarationEnd_ = 0;
    std::vector<RawAttribute> attributes_;
    std::vector<Frame> frames_;
    std::vector<std::uint32_t> phantoms_; // the ">" of each open tag below the depth bound
    std::vector<Shadow> shadows_;
};

bool XmlTranslator::buildStructure(std::string_view text, XmlDocument& document) {
    trace("%d start building xml structure", traceId_);
    if (text.data() == nullptr) {
        trace("%d tried to start xml translator without delivering a document", traceId_);
        return false;
    }
    text = text.substr(0, text.find('\0'));

    // Positions in the text are kept in 32 bits.
    bool accepted = text.size() < xml_detail::NONE;
    if (accepted) {
        XmlParser parser(text, document);
        accepted = parser.accepts() && parser.readTopLevel();
    }
    if (accepted) {
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
