// A registry held in memory, for tests: both roots, case-insensitive names, and
// switches that make the machine root read-only or make one chosen call fail.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "store/registry.h"

class MemoryRegistry : public Registry {
  public:
    MemoryRegistry();

    // Like an ordinary user's registry: keys under the machine root open for reading only.
    void refuseMachineWrites(bool refuse) { refuseMachineWrites_ = refuse; }

    // The n-th primitive call from now on (1 the next one) fails; 0 turns this off.
    void failCall(int n);
    // Primitive calls made so far.
    int calls() const { return calls_; }
    // Keys opened or created and not closed yet.
    int openKeys() const { return static_cast<int>(handles_.size()); }

    std::uintptr_t rootHandle(RegistryRoot which) override;
    bool openKey(std::uintptr_t parent, std::string_view path, RegistryAccess access,
                 std::uintptr_t& key) override;
    bool createKey(std::uintptr_t parent, std::string_view path, std::uintptr_t& key) override;
    bool queryValue(std::uintptr_t key, std::string_view name, std::size_t maxSize,
                    RegistryValue& value) override;
    bool setValue(std::uintptr_t key, std::string_view name, RegistryType type,
                  std::string_view data) override;
    bool enumSubkey(std::uintptr_t key, std::uint32_t index, std::size_t maxChars,
                    std::string& name) override;
    bool closeKey(std::uintptr_t key) override;

  private:
    struct CaseLess {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    struct Node {
        std::map<std::string, RegistryValue, CaseLess> values;
        std::map<std::string, std::unique_ptr<Node>, CaseLess> children;
    };
    struct OpenKey {
        Node* node = nullptr;
        bool machine = false;
        RegistryAccess access = RegistryAccess::Read;
    };

    bool countCall();
    // The open key behind a handle (roots included); false for an unknown handle.
    bool resolve(std::uintptr_t handle, OpenKey& key);
    bool writable(const OpenKey& key) const;
    std::uintptr_t add(OpenKey key);

    Node machine_;
    Node user_;
    std::map<std::uintptr_t, OpenKey> handles_;
    std::uintptr_t nextHandle_ = 0x100;
    bool refuseMachineWrites_ = false;
    int calls_ = 0;
    int failingCall_ = 0;
};
