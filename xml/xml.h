// The program's own XML library: an element tree, a forgiving parser and a writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// Names and values are single-byte strings taken and given as they are; name
// comparison is exact and case-sensitive. Lookups fail softly: -1 or nullptr.
//
// The tree is stored compactly inside its document (an element takes 20 bytes, an
// attribute 8 plus its strings), so that reading a file costs a small multiple of
// its size. Pointers to elements and attributes and the views their names and values
// give stay valid until the document is cleared or destroyed (a document moved from
// may only be cleared, assigned or destroyed). The library is used by one thread at a
// time: even lookups update the document's small index cache.

class XmlDocument;
namespace xml_detail {
struct Storage;
class Writer;
constexpr std::uint32_t NONE = 0xFFFFFFFFu;
constexpr std::uint32_t FLAG = 0x80000000u;
constexpr std::uint32_t INDEX_MASK = 0x7FFFFFFFu;
} // namespace xml_detail

// One name/value pair; the value is absent for an attribute written without "=".
class XmlAttribute {
  public:
    std::string_view name() const;
    std::optional<std::string_view> value() const;

  private:
    friend struct xml_detail::Storage;
    friend class xml_detail::Writer;
    // Strings stored by the document.
    std::uint32_t name_;
    std::uint32_t value_; // NONE: no value
};

// One element with its attributes and child elements, owned by its document.
class XmlElement {
  public:
    XmlElement(const XmlElement&) = delete;
    XmlElement& operator=(const XmlElement&) = delete;

    // Empty when the element has no name (a tag whose name could not be read).
    std::string_view name() const;
    bool hasName() const { return name_ != xml_detail::NONE; }

    // True: written in the short form <name ... />. Cleared by the first child.
    bool isEmpty() const { return (source_ & xml_detail::FLAG) != 0; }
    XmlElement* parent() const;
    // Where in the text the parser read the element's start tag; npos for an element
    // that was built.
    std::size_t sourceOffset() const {
        const std::uint32_t offset = source_ & INDEX_MASK;
        return offset == INDEX_MASK ? std::string_view::npos : offset;
    }

    int childCount() const;
    // nullptr for an index outside 0 to childCount() - 1.
    XmlElement* childAt(int index) const;
    // The index of the first child of that name; -1 when there is none.
    int findChild(std::string_view name) const;
    // Appends a child (a copy of the name) and makes this element non-empty.
    XmlElement* addChild(std::string_view name, bool isEmpty);

    int attributeCount() const;
    const XmlAttribute* attributeAt(int index) const;
    // The value of the first attribute of that name; none when there is no such
    // attribute or it has no value.
    std::optional<std::string_view> attribute(std::string_view name) const;
    // Appends an attribute; one of the same name already present is kept (and
    // attribute() keeps finding the first).
    void addAttribute(std::string_view name, std::optional<std::string_view> value);

  private:
    friend struct xml_detail::Storage;
    friend class XmlDocument;
    friend class XmlParser;
    friend class xml_detail::Writer;
    XmlElement() = default;

    static constexpr std::uint32_t NONE = xml_detail::NONE;
    static constexpr std::uint32_t FLAG = xml_detail::FLAG;
    static constexpr std::uint32_t INDEX_MASK = xml_detail::INDEX_MASK;

    xml_detail::Storage& storage() const;

    // Indexes and references into the document's storage; NONE where there is none.
    std::uint32_t name_ = NONE;       // a stored string
    std::uint32_t attributes_ = NONE; // a stored attribute list
    std::uint32_t firstChild_ = NONE;
    // The next sibling; the last sibling holds its parent's index (INDEX_MASK for the
    // top level) with FLAG.
    std::uint32_t next_ = NONE;
    // Where the parser read the tag (INDEX_MASK when built), with FLAG while empty.
    std::uint32_t source_ = INDEX_MASK;
};

// The top level of a tree: its elements in document order. Owns the whole tree.
class XmlDocument {
  public:
    explicit XmlDocument(int traceId = 42);
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;
    XmlDocument(XmlDocument&&) noexcept;
    XmlDocument& operator=(XmlDocument&&) noexcept;
    ~XmlDocument();

    int traceId() const { return traceId_; }

    int elementCount() const;
    // nullptr for an index outside 0 to elementCount() - 1.
    XmlElement* elementAt(int index) const;
    // The index of the first top-level element of that name; -1 when there is none.
    int findElement(std::string_view name) const;
    // Appends a top-level element with a copy of the name.
    XmlElement* addElement(std::string_view name, bool isEmpty);

    // Destroys every element.
    void clear();

    // Bytes the tree holds from the heap (elements, attributes, names and values).
    std::size_t storageBytes() const;

  private:
    friend class XmlParser;
    friend class XmlTranslator;

    int traceId_;
    std::unique_ptr<xml_detail::Storage> storage_;
};

// Receives the library's trace lines ("42 start building xml structure" and the
// like). Nobody listens by default: the lines are then not even composed.
using XmlTraceSink = std::function<void(std::string_view line)>;

// Turns text into a tree and a tree into text.
class XmlTranslator {
  public:
    explicit XmlTranslator(int traceId = 42, XmlTraceSink trace = {})
        : traceId_(traceId), trace_(std::move(trace)) {}

    // Reads the text into the document, which should come in without elements.
    // The text ends at its length or at its first zero byte; the document keeps
    // copies of what it needs. Tags nested deeper than 500 levels make no elements:
    // their subtree is passed over and the reading goes on after it. False when the
    // text is rejected (no "<?xml" declaration, no element of it is ever closed, or
    // its tree would take more than MEMORY_PER_BYTE times its size beyond the
    // allowance): the document is then cleared. A null view counts as no text:
    // false, and the document is left as it was.
    bool buildStructure(std::string_view text, XmlDocument& document);

    // The document as text: the declaration line, then one line per tag, CR LF.
    std::string buildDocument(const XmlDocument& document);

    // The most a tree read from a text may take, per byte of the text, beyond a
    // fixed allowance. No real file comes near it: an appointment file's tree takes
    // less than twice its size, and one cut off inside its dates (each of them read
    // eight times) less than four times when its texts have 20 characters.
    static constexpr std::size_t MEMORY_PER_BYTE = 4;
    static constexpr std::size_t MEMORY_ALLOWANCE = 1024 * 1024;

  private:
    void trace(const char* format, int first, int second = 0) const;

    int traceId_;
    XmlTraceSink trace_;
};
