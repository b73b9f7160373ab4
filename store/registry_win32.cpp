// The platform's registry: RegOpenKeyExA and friends.
#include <windows.h>

#include "store/services_win32.h"

namespace {

HKEY toKey(std::uintptr_t handle) {
    return reinterpret_cast<HKEY>(handle);
}

class Win32Registry final : public Registry {
  public:
    std::uintptr_t rootHandle(RegistryRoot which) override {
        return reinterpret_cast<std::uintptr_t>(which == RegistryRoot::Machine ? HKEY_LOCAL_MACHINE
                                                                               : HKEY_CURRENT_USER);
    }

    bool openKey(std::uintptr_t parent, std::string_view path, RegistryAccess access,
                 std::uintptr_t& key) override {
        HKEY opened = nullptr;
        const REGSAM rights = access == RegistryAccess::Read ? KEY_READ : KEY_ALL_ACCESS;
        if (RegOpenKeyExA(toKey(parent), std::string(path).c_str(), 0, rights, &opened) !=
            ERROR_SUCCESS) {
            return false;
        }
        key = reinterpret_cast<std::uintptr_t>(opened);
        return true;
    }

    bool createKey(std::uintptr_t parent, std::string_view path, std::uintptr_t& key) override {
        HKEY created = nullptr;
        if (RegCreateKeyExA(toKey(parent), std::string(path).c_str(), 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &created,
                            nullptr) != ERROR_SUCCESS) {
            return false;
        }
        key = reinterpret_cast<std::uintptr_t>(created);
        return true;
    }

    bool queryValue(std::uintptr_t key, std::string_view name, std::size_t maxSize,
                    RegistryValue& value) override {
        std::string data(maxSize, '\0');
        DWORD type = REG_NONE;
        DWORD size = static_cast<DWORD>(maxSize);
        if (RegQueryValueExA(toKey(key), std::string(name).c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS ||
            size > maxSize) {
            return false;
        }
        data.resize(size);
        value = RegistryValue{static_cast<RegistryType>(type), std::move(data)};
        return true;
    }

    bool setValue(std::uintptr_t key, std::string_view name, RegistryType type,
                  std::string_view data) override {
        return RegSetValueExA(toKey(key), std::string(name).c_str(), 0, static_cast<DWORD>(type),
                              reinterpret_cast<const BYTE*>(data.data()),
                              static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
    }

    bool enumSubkey(std::uintptr_t key, std::uint32_t index, std::size_t maxChars,
                    std::string& name) override {
        std::string buffer(maxChars + 1, '\0');
        DWORD length = static_cast<DWORD>(buffer.size());
        if (RegEnumKeyExA(toKey(key), index, buffer.data(), &length, nullptr, nullptr, nullptr,
                          nullptr) != ERROR_SUCCESS ||
            length > maxChars) {
            return false;
        }
        buffer.resize(length);
        name = std::move(buffer);
        return true;
    }

    bool closeKey(std::uintptr_t key) override { return RegCloseKey(toKey(key)) == ERROR_SUCCESS; }
};

} // namespace

Registry& systemRegistry() {
    static Win32Registry registry;
    return registry;
}
