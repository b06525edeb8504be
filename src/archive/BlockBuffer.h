// BlockBuffer.h - a byte vector whose new elements are left uninitialised.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace vexo::archive {

/// Value-initialising a block buffer would touch every page of it at once; left alone, a
/// large header block size costs memory only as far as blocks actually fill the buffer.
template <class T> struct UninitialisedAllocator : std::allocator<T> {
    template <class U> struct rebind { using other = UninitialisedAllocator<U>; };
    UninitialisedAllocator() = default;
    template <class U> UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
    template <class U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <class U, class... Args> void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

using BlockBuffer = std::vector<std::uint8_t, UninitialisedAllocator<std::uint8_t>>;

} // namespace vexo::archive
