// The XML element tree: documents, elements and attributes over the document's storage.
#include <algorithm>
#include <cstdlib>

#include "xml/xml.h"
#include "xml/xml_storage.h"

namespace xml_detail {

std::uint32_t Storage::newElement(bool isEmpty) {
    const std::uint32_t index = elements.add(this, 1, bytes);
    XmlElement* e = new (&element(index)) XmlElement;
    e->source_ = INDEX_MASK | (isEmpty ? FLAG : 0);
    return index;
}

void Storage::link(std::uint32_t parent, std::uint32_t last, std::uint32_t child) {
    element(child).next_ = parent | FLAG;
    if (last == NONE) {
        (parent == TOP_LEVEL ? firstTop : element(parent).firstChild_) = child;
    } else {
        element(last).next_ = child;
    }
    if (parent == TOP_LEVEL)
        lastTop = child;
    if (appendParent == parent)
        appendLast = child;
    for (ChildIndex& index : childIndexes) {
        if (index.parent != parent)
            continue;
        if (index.count % BLOCK == 0)
            index.marks.push_back(child);
        if (index.count / BLOCK == index.block)
            index.block = NONE;
        ++index.count;
    }
}

std::uint32_t Storage::lastChildOf(std::uint32_t parent) {
    if (parent == TOP_LEVEL)
        return lastTop;
    if (parent != appendParent) {
        std::uint32_t last = element(parent).firstChild_;
        if (last != NONE) {
            while ((element(last).next_ & FLAG) == 0)
                last = element(last).next_;
        }
        appendParent = parent;
        appendLast = last;
    }
    return appendLast;
}

std::uint32_t Storage::parentOf(std::uint32_t index) const {
    while ((element(index).next_ & FLAG) == 0)
        index = element(index).next_;
    return element(index).next_ & INDEX_MASK;
}

Storage::ChildIndex& Storage::childIndex(std::uint32_t parent) {
    for (ChildIndex& index : childIndexes) {
        if (index.parent == parent)
            return index;
    }
    ChildIndex& index = childIndexes[nextChildIndex++ % childIndexes.size()];
    index.parent = parent;
    index.count = 0;
    index.marks.clear();
    index.block = NONE;
    for (std::uint32_t i = firstChildOf(parent); i != NONE; ++index.count) {
        if (index.count % BLOCK == 0)
            index.marks.push_back(i);
        const std::uint32_t next = element(i).next_;
        i = (next & FLAG) ? NONE : next;
    }
    return index;
}

std::uint32_t Storage::childCount(std::uint32_t parent) {
    return firstChildOf(parent) == NONE ? 0 : childIndex(parent).count;
}

std::uint32_t Storage::childAt(std::uint32_t parent, std::uint32_t position) {
    if (firstChildOf(parent) == NONE)
        return NONE;
    ChildIndex& index = childIndex(parent);
    if (position >= index.count)
        return NONE;
    const std::uint32_t block = position / BLOCK;
    if (index.block != block) {
        std::uint32_t i = index.marks[block];
        for (std::uint32_t k = 0; k < BLOCK && i != NONE; ++k) {
            index.members[k] = i;
            const std::uint32_t next = element(i).next_;
            i = (next & FLAG) ? NONE : next;
        }
        index.block = block;
    }
    return index.members[position % BLOCK];
}

int Storage::find(std::uint32_t parent, std::string_view name) const {
    int position = 0;
    for (std::uint32_t i = firstChildOf(parent); i != NONE; ++position) {
        const XmlElement& e = element(i);
        if (e.hasName() && string(e.name_) == name)
            return position;
        i = (e.next_ & FLAG) ? NONE : e.next_;
    }
    return -1;
}

std::uint32_t Storage::addChunk(std::size_t size) {
    if (chunks.size() >= (std::size_t{1} << (32 - OFFSET_BITS)))
        std::abort(); // 4 GiB of names and values: far beyond any file this reads
    chunks.push_back(std::make_unique_for_overwrite<char[]>(size));
    bytes += size;
    return static_cast<std::uint32_t>(chunks.size() - 1);
}

// Every piece starts on four bytes, as a string starts with its length.
std::uint32_t Storage::allocate(std::size_t size) {
    size = (size + 3) & ~std::size_t{3};
    // A large piece gets a chunk of its own; the others share chunks that grow up to
    // the largest size.
    if (size > LARGEST_CHUNK / 8)
        return addChunk(size) << OFFSET_BITS;
    if (chunkUsed + size > chunkSize) {
        currentChunk = addChunk(nextChunkSize);
        chunkSize = nextChunkSize;
        chunkUsed = 0;
        if (nextChunkSize < LARGEST_CHUNK)
            nextChunkSize *= 2;
    }
    const std::uint32_t ref = currentChunk << OFFSET_BITS | static_cast<std::uint32_t>(chunkUsed);
    chunkUsed += size;
    return ref;
}

std::uint32_t Storage::storeString(std::string_view text) {
    std::uint32_t ref = 0;
    char* copy = reserveString(text.size(), ref);
    if (!text.empty())
        std::memcpy(copy, text.data(), text.size());
    return ref;
}

std::uint32_t Storage::storeName(std::string_view name) {
    // Names are short: a plain loop beats a call of memcmp.
    for (const RecentName& recent : recentNames) {
        if (recent.ref == NONE || recent.text.size() != name.size())
            continue;
        std::size_t i = 0;
        while (i < name.size() && recent.text[i] == name[i])
            ++i;
        if (i == name.size())
            return recent.ref;
    }
    const std::uint32_t ref = storeString(name);
    recentNames[nextRecent++ % recentNames.size()] = {ref, string(ref)};
    return ref;
}

std::uint32_t Storage::newList(std::uint32_t capacity) {
    const std::uint32_t ref = attributes.add(this, 1 + capacity, bytes);
    set(attributes.at(ref), 0, capacity);
    return ref;
}

} // namespace xml_detail

using xml_detail::FLAG;
using xml_detail::NONE;
using xml_detail::Pages;
using xml_detail::Storage;
using xml_detail::TOP_LEVEL;

namespace {

XmlElement* elementIn(Storage& storage, std::uint32_t parent, int position) {
    if (position < 0)
        return nullptr;
    const std::uint32_t child = storage.childAt(parent, static_cast<std::uint32_t>(position));
    return child == NONE ? nullptr : &storage.element(child);
}

std::uint32_t indexOf(const XmlElement& element) {
    return Pages<XmlElement>::indexOf(element);
}

} // namespace

std::string_view XmlAttribute::name() const {
    return Pages<XmlAttribute>::storageOf(this).string(name_);
}

std::optional<std::string_view> XmlAttribute::value() const {
    if (value_ == NONE)
        return std::nullopt;
    return Pages<XmlAttribute>::storageOf(this).string(value_);
}

Storage& XmlElement::storage() const {
    return Pages<XmlElement>::storageOf(this);
}

std::string_view XmlElement::name() const {
    return hasName() ? storage().string(name_) : std::string_view();
}

XmlElement* XmlElement::parent() const {
    Storage& s = storage();
    const std::uint32_t parent = s.parentOf(indexOf(*this));
    return parent == TOP_LEVEL ? nullptr : &s.element(parent);
}

int XmlElement::childCount() const {
    return firstChild_ == NONE ? 0 : static_cast<int>(storage().childCount(indexOf(*this)));
}

XmlElement* XmlElement::childAt(int index) const {
    return elementIn(storage(), indexOf(*this), index);
}

int XmlElement::findChild(std::string_view name) const {
    return storage().find(indexOf(*this), name);
}

XmlElement* XmlElement::addChild(std::string_view name, bool isEmpty) {
    Storage& s = storage();
    const std::uint32_t self = indexOf(*this);
    const std::uint32_t child = s.newElement(isEmpty);
    XmlElement& c = s.element(child);
    c.name_ = s.storeName(name);
    source_ &= ~FLAG;
    s.link(self, s.lastChildOf(self), child);
    return &c;
}

int XmlElement::attributeCount() const {
    return attributes_ == NONE ? 0 : static_cast<int>(storage().count(attributes_));
}

const XmlAttribute* XmlElement::attributeAt(int index) const {
    if (index < 0 || index >= attributeCount())
        return nullptr;
    return &storage().attribute(attributes_, static_cast<std::uint32_t>(index));
}

std::optional<std::string_view> XmlElement::attribute(std::string_view name) const {
    if (attributes_ == NONE)
        return std::nullopt;
    const Storage& s = storage();
    const std::uint32_t count = s.count(attributes_);
    for (std::uint32_t i = 0; i < count; ++i) {
        const XmlAttribute& a = s.attribute(attributes_, i);
        if (a.name() == name)
            return a.value();
    }
    return std::nullopt;
}

void XmlElement::addAttribute(std::string_view name, std::optional<std::string_view> value) {
    Storage& s = storage();
    // A full list (a parsed one is always full, and may be shared with the copies the
    // parser made of this element) moves to a new one of twice the room.
    const std::uint32_t count = attributes_ == NONE ? 0 : s.count(attributes_);
    if (attributes_ == NONE || count == s.capacity(attributes_)) {
        const std::uint32_t moved = s.newList(std::max<std::uint32_t>(2, count * 2));
        for (std::uint32_t i = 0; i < count; ++i)
            s.attribute(moved, i) = s.attribute(attributes_, i);
        attributes_ = moved;
    }
    const std::uint32_t storedName = s.storeName(name);
    const std::uint32_t storedValue = value ? s.storeString(*value) : NONE;
    Storage::set(s.attribute(attributes_, count), storedName, storedValue);
    s.setCount(attributes_, count + 1);
}

XmlDocument::XmlDocument(int traceId) : traceId_(traceId), storage_(std::make_unique<Storage>()) {}
XmlDocument::XmlDocument(XmlDocument&&) noexcept = default;
XmlDocument& XmlDocument::operator=(XmlDocument&&) noexcept = default;
XmlDocument::~XmlDocument() = default;

int XmlDocument::elementCount() const {
    return static_cast<int>(storage_->childCount(TOP_LEVEL));
}

XmlElement* XmlDocument::elementAt(int index) const {
    return elementIn(*storage_, TOP_LEVEL, index);
}

int XmlDocument::findElement(std::string_view name) const {
    return storage_->find(TOP_LEVEL, name);
}

XmlElement* XmlDocument::addElement(std::string_view name, bool isEmpty) {
    Storage& s = *storage_;
    const std::uint32_t index = s.newElement(isEmpty);
    s.element(index).name_ = s.storeName(name);
    s.link(TOP_LEVEL, s.lastTop, index);
    return &s.element(index);
}

void XmlDocument::clear() {
    storage_ = std::make_unique<Storage>();
}

std::size_t XmlDocument::storageBytes() const {
    return storage_->bytes;
}
