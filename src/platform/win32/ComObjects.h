// ComObjects.h - internal to the Win32 platform layer: the thread's COM apartment and owned
// interfaces.
#pragma once

#include "platform/win32/WindowsApi.h"

#include <objbase.h>

#include <utility>

namespace vexo::platform::win32 {

/// Joins the calling thread to COM on its first call (single-threaded apartment, left when the
/// thread ends). False when COM cannot be used on this thread; a thread already in the
/// multithreaded apartment can use the shell objects too.
bool EnsureComApartment();

/// Owns one reference to a COM interface.
template <typename T> class ComPtr {
  public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* operator->() const { return p_; }
    T* Get() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    /// For the calls that hand out an interface: the slot they fill, emptied first.
    void** Slot() {
        Reset();
        return reinterpret_cast<void**>(&p_);
    }
    void Reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }

  private:
    T* p_ = nullptr;
};

} // namespace vexo::platform::win32
