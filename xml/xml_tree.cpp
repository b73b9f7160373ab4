// The XML element tree: documents, elements and attributes.
#include "xml/xml.h"

namespace {

template <typename Elements> XmlElement* at(const Elements& elements, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= elements.size())
        return nullptr;
    return elements[static_cast<std::size_t>(index)].get();
}

template <typename Elements> int find(const Elements& elements, std::string_view name) {
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (elements[i]->hasName() && elements[i]->name() == name)
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace

XmlAttribute::XmlAttribute(std::string_view name, std::optional<std::string_view> value)
    : name_(name), value_(value.value_or(std::string_view())), hasValue_(value.has_value()) {}

std::optional<std::string_view> XmlAttribute::value() const {
    if (!hasValue_)
        return std::nullopt;
    return std::string_view(value_);
}

XmlElement::XmlElement(XmlElement* parent, std::optional<std::string_view> name, bool isEmpty)
    : name_(name.value_or(std::string_view())), hasName_(name.has_value()), isEmpty_(isEmpty),
      parent_(parent) {}

// Subtrees are taken apart one level at a time into a work list, so that no nesting
// depth can exhaust the stack.
XmlElement::~XmlElement() {
    std::vector<std::unique_ptr<XmlElement>> pending = std::move(children_);
    while (!pending.empty()) {
        std::unique_ptr<XmlElement> last = std::move(pending.back());
        pending.pop_back();
        for (auto& child : last->children_)
            pending.push_back(std::move(child));
        last->children_.clear();
    }
}

XmlElement* XmlElement::childAt(int index) const {
    return at(children_, index);
}

int XmlElement::findChild(std::string_view name) const {
    return find(children_, name);
}

XmlElement* XmlElement::addChild(std::string_view name, bool isEmpty) {
    isEmpty_ = false;
    children_.push_back(std::unique_ptr<XmlElement>(new XmlElement(this, name, isEmpty)));
    return children_.back().get();
}

const XmlAttribute* XmlElement::attributeAt(int index) const {
    if (index < 0 || index >= attributeCount())
        return nullptr;
    return &attributes_[static_cast<std::size_t>(index)];
}

std::optional<std::string_view> XmlElement::attribute(std::string_view name) const {
    for (const XmlAttribute& a : attributes_) {
        if (a.name() == name)
            return a.value();
    }
    return std::nullopt;
}

void XmlElement::addAttribute(std::string_view name, std::optional<std::string_view> value) {
    attributes_.emplace_back(name, value);
}

XmlElement* XmlDocument::elementAt(int index) const {
    return at(elements_, index);
}

int XmlDocument::findElement(std::string_view name) const {
    return find(elements_, name);
}

XmlElement* XmlDocument::addElement(std::string_view name, bool isEmpty) {
    elements_.push_back(std::unique_ptr<XmlElement>(new XmlElement(nullptr, name, isEmpty)));
    return elements_.back().get();
}
