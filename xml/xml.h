// The program's own XML library: an element tree, a forgiving parser and a writer.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Names and values are single-byte strings taken and given as they are; name
// comparison is exact and case-sensitive. Lookups fail softly: -1 or nullptr.

class XmlDocument;

// One name/value pair; the value is absent for an attribute written without "=".
class XmlAttribute {
  public:
    XmlAttribute(std::string_view name, std::optional<std::string_view> value);

    std::string_view name() const { return name_; }
    std::optional<std::string_view> value() const;

  private:
    std::string name_;
    std::string value_;
    bool hasValue_;
};

// One element with its attributes and child elements, owned by its document.
class XmlElement {
  public:
    XmlElement(const XmlElement&) = delete;
    XmlElement& operator=(const XmlElement&) = delete;
    ~XmlElement();

    // Empty when the element has no name (a tag whose name could not be read).
    std::string_view name() const { return name_; }
    bool hasName() const { return hasName_; }

    // True: written in the short form <name ... />. Cleared by the first child.
    bool isEmpty() const { return isEmpty_; }
    XmlElement* parent() const { return parent_; }

    int childCount() const { return static_cast<int>(children_.size()); }
    // nullptr for an index outside 0 to childCount() - 1.
    XmlElement* childAt(int index) const;
    // The index of the first child of that name; -1 when there is none.
    int findChild(std::string_view name) const;
    // Appends a child (a copy of the name) and makes this element non-empty.
    XmlElement* addChild(std::string_view name, bool isEmpty);

    int attributeCount() const { return static_cast<int>(attributes_.size()); }
    const XmlAttribute* attributeAt(int index) const;
    // The value of the first attribute of that name; none when there is no such
    // attribute or it has no value.
    std::optional<std::string_view> attribute(std::string_view name) const;
    // Appends an attribute; one of the same name already present is kept (and
    // attribute() keeps finding the first).
    void addAttribute(std::string_view name, std::optional<std::string_view> value);

  private:
    friend class XmlDocument;
    friend class XmlParser;
    XmlElement(XmlElement* parent, std::optional<std::string_view> name, bool isEmpty);

    std::string name_;
    bool hasName_;
    bool isEmpty_;
    XmlElement* parent_;
    std::vector<std::unique_ptr<XmlElement>> children_;
    std::vector<XmlAttribute> attributes_;
};

// The top level of a tree: its elements in document order. Owns the whole tree.
class XmlDocument {
  public:
    explicit XmlDocument(int traceId = 42) : traceId_(traceId) {}
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;
    XmlDocument(XmlDocument&&) = default;
    XmlDocument& operator=(XmlDocument&&) = default;
    ~XmlDocument() = default;

    int traceId() const { return traceId_; }

    int elementCount() const { return static_cast<int>(elements_.size()); }
    // nullptr for an index outside 0 to elementCount() - 1.
    XmlElement* elementAt(int index) const;
    // The index of the first top-level element of that name; -1 when there is none.
    int findElement(std::string_view name) const;
    // Appends a top-level element with a copy of the name.
    XmlElement* addElement(std::string_view name, bool isEmpty);

    // Destroys every element.
    void clear() { elements_.clear(); }

  private:
    friend class XmlParser;

    int traceId_;
    std::vector<std::unique_ptr<XmlElement>> elements_;
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
    // The text ends at its length or at its first zero byte. False when the text is
    // rejected (no "<?xml" declaration, or no element of it is ever closed): the
    // document is then cleared. A null view counts as no text: false, and the
    // document is left as it was.
    bool buildStructure(std::string_view text, XmlDocument& document);

    // The document as text: the declaration line, then one line per tag, CR LF.
    std::string buildDocument(const XmlDocument& document);

  private:
    void trace(const char* format, int first, int second = 0) const;

    int traceId_;
    XmlTraceSink trace_;
};
