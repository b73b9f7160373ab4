// The registry seam: two roots, keys opened for reading or full access, typed values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

enum class RegistryRoot { Machine, User }; // HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER
enum class RegistryAccess { Read, Full };  // KEY_READ, KEY_ALL_ACCESS

// The value kinds, numbered as the platform numbers them.
enum class RegistryType : std::uint32_t {
    None = 0,
    String = 1,       // REG_SZ
    ExpandString = 2, // REG_EXPAND_SZ
    Binary = 3,       // REG_BINARY
    Dword = 4,        // REG_DWORD
};

// A value as stored: its kind and its raw bytes (a string's terminating NUL included
// when it was stored with one).
struct RegistryValue {
    RegistryType type = RegistryType::None;
    std::string data;
};

class Registry;

// An open key; closes itself when it goes out of scope. A root key is never closed.
// Every operation reports success or failure; a failed one leaves its out-parameter alone.
class RegistryKey {
  public:
    RegistryKey() = default;
    RegistryKey(Registry& registry, std::uintptr_t handle, bool owned) noexcept
        : registry_(&registry), handle_(handle), owned_(owned) {}
    RegistryKey(RegistryKey&& other) noexcept;
    RegistryKey& operator=(RegistryKey&& other) noexcept;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey() { close(); }

    explicit operator bool() const { return registry_ != nullptr; }
    std::uintptr_t handle() const { return handle_; }

    // An existing subkey; an empty path opens this key once more.
    RegistryKey open(std::string_view path, RegistryAccess access) const;
    // A subkey with full access, created (non-volatile, default security) when missing.
    RegistryKey create(std::string_view path) const;

    // A value of at most maxSize bytes; false when missing or larger. An empty name
    // is the key's default value.
    bool read(std::string_view name, std::size_t maxSize, RegistryValue& value) const;
    // A REG_DWORD-sized value (exactly what fits in 4 bytes, whatever its kind).
    bool readDword(std::string_view name, std::uint32_t& value) const;
    // A string of at most maxChars characters, cut at its first NUL; also its kind.
    bool readString(std::string_view name, std::size_t maxChars, std::string& text,
                    RegistryType* type = nullptr) const;

    bool write(std::string_view name, RegistryType type, std::string_view data) const;
    bool writeDword(std::string_view name, std::uint32_t value) const;
    // Stored with its terminating NUL counted in its size.
    bool writeString(std::string_view name, std::string_view text,
                     RegistryType type = RegistryType::String) const;

    // The name of the subkey at index (0, 1, ...); false past the last one and for a
    // name longer than maxChars.
    bool subkeyName(std::uint32_t index, std::string& name, std::size_t maxChars = 255) const;

    bool close() noexcept;

  private:
    Registry* registry_ = nullptr;
    std::uintptr_t handle_ = 0;
    bool owned_ = false;
};

// A registry: the real one of the platform or a stand-in. The primitives work on
// opaque handles; callers use RegistryKey.
class Registry {
  public:
    virtual ~Registry() = default;

    // The root itself (never closed).
    RegistryKey root(RegistryRoot which);
    RegistryKey open(RegistryRoot which, std::string_view path, RegistryAccess access);
    RegistryKey create(RegistryRoot which, std::string_view path);

    // The primitives, one a platform call. Handles are the implementation's own.
    virtual std::uintptr_t rootHandle(RegistryRoot which) = 0;
    virtual bool openKey(std::uintptr_t parent, std::string_view path, RegistryAccess access,
                         std::uintptr_t& key) = 0;
    virtual bool createKey(std::uintptr_t parent, std::string_view path, std::uintptr_t& key) = 0;
    virtual bool queryValue(std::uintptr_t key, std::string_view name, std::size_t maxSize,
                            RegistryValue& value) = 0;
    virtual bool setValue(std::uintptr_t key, std::string_view name, RegistryType type,
                          std::string_view data) = 0;
    virtual bool enumSubkey(std::uintptr_t key, std::uint32_t index, std::size_t maxChars,
                            std::string& name) = 0;
    virtual bool closeKey(std::uintptr_t key) = 0;
};
