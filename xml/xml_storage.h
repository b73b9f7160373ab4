// Where a document keeps its tree: pages of elements and of attributes, and a string pool.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "xml/xml.h"

namespace xml_detail {

// Elements and attributes live in pages of PAGE_BYTES, aligned to that size, each
// starting with a header that leads back to the storage: an element or attribute finds
// its document from its own address and needs no pointer of its own.
constexpr std::size_t PAGE_BYTES = 4096;
struct PageHeader {
    Storage* storage;
    std::uint32_t number;
    std::uint32_t unused;
};

// Fixed-size records in pages, addressed by index: the page number times 512 plus the
// slot in the page.
template <typename Record> class Pages {
  public:
    static constexpr std::uint32_t PER_PAGE = (PAGE_BYTES - sizeof(PageHeader)) / sizeof(Record);
    static_assert(PER_PAGE <= 512);

    Pages() = default;
    Pages(const Pages&) = delete;
    Pages& operator=(const Pages&) = delete;
    ~Pages() {
        for (char* block : blocks_)
            ::operator delete (block, std::align_val_t{PAGE_BYTES});
    }

    Record& at(std::uint32_t index) const {
        return reinterpret_cast<Record*>(pages_[index >> 9] + sizeof(PageHeader))[index & 511];
    }
    static std::uint32_t indexOf(const Record& record) {
        const auto address = reinterpret_cast<std::uintptr_t>(&record);
        const auto* page = reinterpret_cast<const PageHeader*>(address & ~(PAGE_BYTES - 1));
        const auto slot = (address - reinterpret_cast<std::uintptr_t>(page + 1)) / sizeof(Record);
        return page->number << 9 | static_cast<std::uint32_t>(slot);
    }
    static Storage& storageOf(const void* record) {
        const auto address = reinterpret_cast<std::uintptr_t>(record);
        return *reinterpret_cast<const PageHeader*>(address & ~(PAGE_BYTES - 1))->storage;
    }
    // The index `count` records after `index`.
    static std::uint32_t advance(std::uint32_t index, std::uint32_t count) {
        const std::uint32_t slot = (index & 511) + count;
        return ((index >> 9) + slot / PER_PAGE) << 9 | slot % PER_PAGE;
    }
    // The index the next record will get.
    std::uint32_t end() const { return next_; }

    // `count` (at least one) consecutive records; the first one's index. `bytes`
    // counts the pages.
    std::uint32_t add(Storage* storage, std::uint32_t count, std::size_t& bytes) {
        const std::uint32_t first = next_;
        const std::uint32_t last = advance(first, count - 1);
        while ((last >> 9) >= pages_.size())
            addPages(storage, bytes);
        next_ = advance(last, 1);
        return first;
    }

  private:
    // Blocks of 1, 2, 4 ... 16 pages: small documents stay small, large ones cost few
    // allocations, and what a block holds in reserve stays small.
    void addPages(Storage* storage, std::size_t& bytes) {
        const std::size_t count = std::size_t{1} << std::min<std::size_t>(blocks_.size(), 4);
        char* block =
            static_cast<char*>(::operator new (count* PAGE_BYTES, std::align_val_t{PAGE_BYTES}));
        blocks_.push_back(block);
        bytes += count * PAGE_BYTES;
        for (std::size_t i = 0; i < count; ++i) {
            char* page = block + i * PAGE_BYTES;
            new (page) PageHeader{storage, static_cast<std::uint32_t>(pages_.size()), 0};
            pages_.push_back(page);
        }
    }

    std::vector<char*> pages_;
    std::vector<char*> blocks_;
    std::uint32_t next_ = 0;
};

constexpr std::uint32_t TOP_LEVEL = INDEX_MASK; // the "parent" of top-level elements

// The pool hands out references: a chunk number (16 bits) and an offset (16 bits).
// A string's reference leads to its 32-bit length, followed by its bytes.
constexpr std::uint32_t OFFSET_BITS = 16;
constexpr std::size_t LARGEST_CHUNK = std::size_t{1} << OFFSET_BITS;

struct Storage {
    Storage() = default;
    Storage(const Storage&) = delete;
    Storage& operator=(const Storage&) = delete;

    // Elements.
    std::uint32_t newElement(bool isEmpty);
    XmlElement& element(std::uint32_t index) const { return elements.at(index); }
    static std::uint32_t following(std::uint32_t index) {
        return Pages<XmlElement>::advance(index, 1);
    }
    std::uint32_t end() const { return elements.end(); }
    // Appends the child after `last`, the parent's last child (NONE: it has none).
    void link(std::uint32_t parent, std::uint32_t last, std::uint32_t child);
    std::uint32_t firstChildOf(std::uint32_t parent) const {
        return parent == TOP_LEVEL ? firstTop : element(parent).firstChild_;
    }
    // The parent's last child, NONE when it has none.
    std::uint32_t lastChildOf(std::uint32_t parent);
    std::uint32_t parentOf(std::uint32_t index) const;

    // The children of an element (or the top level) by position.
    std::uint32_t childCount(std::uint32_t parent);
    std::uint32_t childAt(std::uint32_t parent, std::uint32_t position); // NONE past the end
    int find(std::uint32_t parent, std::string_view name) const;

    // Strings: a stored copy and its reference; names are shared with recent equal ones.
    std::uint32_t storeString(std::string_view text);
    std::uint32_t storeName(std::string_view name);
    char* at(std::uint32_t ref) const {
        return chunks[ref >> OFFSET_BITS].get() + (ref & (LARGEST_CHUNK - 1));
    }
    std::string_view string(std::uint32_t ref) const {
        const char* stored = at(ref);
        std::uint32_t length = 0;
        std::memcpy(&length, stored, sizeof length);
        return {stored + sizeof length, length};
    }
    // Room for a string of up to `length` bytes, whose length is set afterwards.
    char* reserveString(std::size_t length, std::uint32_t& ref) {
        ref = allocate(sizeof(std::uint32_t) + length);
        setLength(ref, static_cast<std::uint32_t>(length));
        return at(ref) + sizeof(std::uint32_t);
    }
    void setLength(std::uint32_t ref, std::uint32_t length) {
        std::memcpy(at(ref), &length, sizeof length);
    }

    // Attribute lists: a header slot that holds the count and the capacity, then the
    // attributes, in consecutive slots.
    std::uint32_t newList(std::uint32_t capacity);
    std::uint32_t count(std::uint32_t list) const { return attributes.at(list).name_; }
    void setCount(std::uint32_t list, std::uint32_t count) { attributes.at(list).name_ = count; }
    std::uint32_t capacity(std::uint32_t list) const { return attributes.at(list).value_; }
    XmlAttribute& attribute(std::uint32_t list, std::uint32_t index) const {
        return attributes.at(Pages<XmlAttribute>::advance(list, 1 + index));
    }
    static void set(XmlAttribute& attribute, std::uint32_t name, std::uint32_t value) {
        attribute.name_ = name;
        attribute.value_ = value;
    }

    std::size_t bytes = 0; // everything taken from the heap for the tree
    std::uint32_t firstTop = NONE;
    std::uint32_t lastTop = NONE;

  private:
    std::uint32_t allocate(std::size_t size);
    std::uint32_t addChunk(std::size_t size);

    Pages<XmlElement> elements;
    Pages<XmlAttribute> attributes;

    std::vector<std::unique_ptr<char[]>> chunks;
    std::uint32_t currentChunk = 0;
    std::size_t chunkUsed = 0;
    std::size_t chunkSize = 0;
    std::size_t nextChunkSize = 4096;

    struct RecentName {
        std::uint32_t ref = NONE;
        std::string_view text;
    };
    std::array<RecentName, 8> recentNames{};
    unsigned nextRecent = 0;

    // The last child found or added, for appending to the same element again.
    std::uint32_t appendParent = NONE;
    std::uint32_t appendLast = NONE;

    // Where the children of an element stand, kept for a few elements at a time and
    // brought up to date as children are added: every BLOCK-th child, and the children
    // of one block, so that any order of access walks each block only once.
    static constexpr std::uint32_t BLOCK = 64;
    struct ChildIndex {
        std::uint32_t parent = NONE;
        std::uint32_t count = 0;
        std::vector<std::uint32_t> marks; // child number BLOCK * i
        std::uint32_t block = NONE;       // the block in `members`
        std::array<std::uint32_t, BLOCK> members{};
    };
    ChildIndex& childIndex(std::uint32_t parent);
    std::array<ChildIndex, 4> childIndexes{};
    unsigned nextChildIndex = 0;
};

} // namespace xml_detail
