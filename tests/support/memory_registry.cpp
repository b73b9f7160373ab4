// A registry held in memory, for tests.
#include "tests/support/memory_registry.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace {

constexpr std::uintptr_t MachineRoot = 1;
constexpr std::uintptr_t UserRoot = 2;

// The names of a backslash-separated path; empty parts are left out.
std::vector<std::string> splitPath(std::string_view path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos) {
            end = path.size();
        }
        if (end > start) {
            parts.emplace_back(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return parts;
}

} // namespace

bool MemoryRegistry::CaseLess::operator()(const std::string& a, const std::string& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) <
               std::tolower(static_cast<unsigned char>(y));
    });
}

MemoryRegistry::MemoryRegistry() = default;

void MemoryRegistry::failCall(int n) {
    failingCall_ = n > 0 ? calls_ + n : 0;
}

bool MemoryRegistry::countCall() {
    ++calls_;
    return calls_ != failingCall_;
}

bool MemoryRegistry::resolve(std::uintptr_t handle, OpenKey& key) {
    if (handle == MachineRoot || handle == UserRoot) {
        key = OpenKey{handle == MachineRoot ? &machine_ : &user_, handle == MachineRoot,
                      RegistryAccess::Full};
        return true;
    }
    const auto it = handles_.find(handle);
    if (it == handles_.end()) {
        return false;
    }
    key = it->second;
    return true;
}

bool MemoryRegistry::writable(const OpenKey& key) const {
    return key.access == RegistryAccess::Full && !(key.machine && refuseMachineWrites_);
}

std::uintptr_t MemoryRegistry::add(OpenKey key) {
    const std::uintptr_t handle = nextHandle_;
    nextHandle_ += 4;
    handles_.emplace(handle, key);
    return handle;
}

std::uintptr_t MemoryRegistry::rootHandle(RegistryRoot which) {
    return which == RegistryRoot::Machine ? MachineRoot : UserRoot;
}

bool MemoryRegistry::openKey(std::uintptr_t parent, std::string_view path, RegistryAccess access,
                             std::uintptr_t& key) {
    OpenKey from;
    if (!countCall() || !resolve(parent, from)) {
        return false;
    }
    Node* node = from.node;
    for (const std::string& name : splitPath(path)) {
        const auto it = node->children.find(name);
        if (it == node->children.end()) {
            return false;
        }
        node = it->second.get();
    }
    const OpenKey opened{node, from.machine, access};
    if (access == RegistryAccess::Full && !writable(opened)) {
        return false;
    }
    key = add(opened);
    return true;
}

bool MemoryRegistry::createKey(std::uintptr_t parent, std::string_view path, std::uintptr_t& key) {
    OpenKey from;
    if (!countCall() || !resolve(parent, from) || !writable(from)) {
        return false;
    }
    Node* node = from.node;
    for (const std::string& name : splitPath(path)) {
        std::unique_ptr<Node>& child = node->children[name];
        if (!child) {
            child = std::make_unique<Node>();
        }
        node = child.get();
    }
    key = add(OpenKey{node, from.machine, RegistryAccess::Full});
    return true;
}

bool MemoryRegistry::queryValue(std::uintptr_t key, std::string_view name, std::size_t maxSize,
                                RegistryValue& value) {
    OpenKey open;
    if (!countCall() || !resolve(key, open)) {
        return false;
    }
    const auto it = open.node->values.find(std::string(name));
    if (it == open.node->values.end() || it->second.data.size() > maxSize) {
        return false;
    }
    value = it->second;
    return true;
}

bool MemoryRegistry::setValue(std::uintptr_t key, std::string_view name, RegistryType type,
                              std::string_view data) {
    OpenKey open;
    if (!countCall() || !resolve(key, open) || !writable(open)) {
        return false;
    }
    open.node->values[std::string(name)] = RegistryValue{type, std::string(data)};
    return true;
}

bool MemoryRegistry::enumSubkey(std::uintptr_t key, std::uint32_t index, std::size_t maxChars,
                                std::string& name) {
    OpenKey open;
    if (!countCall() || !resolve(key, open) || index >= open.node->children.size()) {
        return false;
    }
    const auto it = std::next(open.node->children.begin(), index);
    if (it->first.size() > maxChars) {
        return false;
    }
    name = it->first;
    return true;
}

bool MemoryRegistry::closeKey(std::uintptr_t key) {
    // A close always releases the handle, as RegCloseKey does; only the result is injected.
    const bool counted = countCall();
    return handles_.erase(key) == 1 && counted;
}
