// Move-only owners of kernel handles: one closed with CloseHandle, one with FindClose.
#pragma once

#include <windows.h>

#include <utility>

template <typename Close> class OwnedHandle {
  public:
    OwnedHandle() = default;
    explicit OwnedHandle(HANDLE handle) noexcept : handle_(handle) {}
    OwnedHandle(OwnedHandle&& other) noexcept : handle_(other.release()) {}
    OwnedHandle& operator=(OwnedHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    ~OwnedHandle() { reset(); }

    // INVALID_HANDLE_VALUE (what CreateFileA and FindFirstFileA give on failure) counts as
    // no handle.
    explicit operator bool() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    HANDLE release() noexcept { return std::exchange(handle_, nullptr); }
    void reset(HANDLE handle = nullptr) noexcept {
        if (*this) {
            Close{}(handle_);
        }
        handle_ = handle;
    }

  private:
    HANDLE handle_ = nullptr;
};

struct CloseKernelHandle {
    void operator()(HANDLE handle) const noexcept { CloseHandle(handle); }
};
struct CloseFindHandle {
    void operator()(HANDLE handle) const noexcept { FindClose(handle); }
};

using UniqueHandle = OwnedHandle<CloseKernelHandle>;
// A search begun with FindFirstFileA.
using UniqueFindHandle = OwnedHandle<CloseFindHandle>;
