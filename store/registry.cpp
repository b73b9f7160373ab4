// Key handling over the registry primitives.
#include "store/registry.h"

#include <utility>

RegistryKey::RegistryKey(RegistryKey&& other) noexcept
    : registry_(std::exchange(other.registry_, nullptr)), handle_(std::exchange(other.handle_, 0)),
      owned_(std::exchange(other.owned_, false)) {}

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
    if (this != &other) {
        close();
        registry_ = std::exchange(other.registry_, nullptr);
        handle_ = std::exchange(other.handle_, 0);
        owned_ = std::exchange(other.owned_, false);
    }
    return *this;
}

bool RegistryKey::close() noexcept {
    if (registry_ == nullptr) {
        return false;
    }
    const bool closed = owned_ ? registry_->closeKey(handle_) : true;
    registry_ = nullptr;
    handle_ = 0;
    owned_ = false;
    return closed;
}

RegistryKey RegistryKey::open(std::string_view path, RegistryAccess access) const {
    std::uintptr_t key = 0;
    if (registry_ == nullptr || !registry_->openKey(handle_, path, access, key)) {
        return {};
    }
    return RegistryKey(*registry_, key, true);
}

RegistryKey RegistryKey::create(std::string_view path) const {
    std::uintptr_t key = 0;
    if (registry_ == nullptr || !registry_->createKey(handle_, path, key)) {
        return {};
    }
    return RegistryKey(*registry_, key, true);
}

bool RegistryKey::read(std::string_view name, std::size_t maxSize, RegistryValue& value) const {
    RegistryValue read;
    if (registry_ == nullptr || !registry_->queryValue(handle_, name, maxSize, read) ||
        read.data.size() > maxSize) {
        return false;
    }
    value = std::move(read);
    return true;
}

bool RegistryKey::readDword(std::string_view name, std::uint32_t& value) const {
    RegistryValue read;
    if (!this->read(name, 4, read)) {
        return false;
    }
    // Little-endian, as the platform stores a REG_DWORD; shorter data fills the low bytes.
    std::uint32_t result = 0;
    for (std::size_t i = 0; i < read.data.size(); ++i) {
        result |= static_cast<std::uint32_t>(static_cast<unsigned char>(read.data[i])) << (8 * i);
    }
    value = result;
    return true;
}

bool RegistryKey::readString(std::string_view name, std::size_t maxChars, std::string& text,
                             RegistryType* type) const {
    RegistryValue read;
    if (!this->read(name, maxChars + 1, read)) {
        return false;
    }
    const std::size_t end = read.data.find('\0');
    if (end != std::string::npos) {
        read.data.resize(end);
    } else if (read.data.size() > maxChars) {
        read.data.resize(maxChars);
    }
    text = std::move(read.data);
    if (type != nullptr) {
        *type = read.type;
    }
    return true;
}

bool RegistryKey::write(std::string_view name, RegistryType type, std::string_view data) const {
    return registry_ != nullptr && registry_->setValue(handle_, name, type, data);
}

bool RegistryKey::writeDword(std::string_view name, std::uint32_t value) const {
    const char bytes[4] = {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF),
                           static_cast<char>((value >> 16) & 0xFF),
                           static_cast<char>((value >> 24) & 0xFF)};
    return write(name, RegistryType::Dword, std::string_view(bytes, 4));
}

bool RegistryKey::writeString(std::string_view name, std::string_view text,
                              RegistryType type) const {
    std::string data(text);
    data.push_back('\0');
    return write(name, type, data);
}

bool RegistryKey::subkeyName(std::uint32_t index, std::string& name, std::size_t maxChars) const {
    return registry_ != nullptr && registry_->enumSubkey(handle_, index, maxChars, name);
}

RegistryKey Registry::root(RegistryRoot which) {
    return RegistryKey(*this, rootHandle(which), false);
}

RegistryKey Registry::open(RegistryRoot which, std::string_view path, RegistryAccess access) {
    return root(which).open(path, access);
}

RegistryKey Registry::create(RegistryRoot which, std::string_view path) {
    return root(which).create(path);
}
