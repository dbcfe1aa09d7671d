// Allocator for series buffers. Large blocks freed by one call are kept for the
// next: a fresh multi-megabyte block from the system costs a page fault per
// 4 KiB on first touch, which for a one-pass kernel costs more than the kernel.
#pragma once

#include <cstddef>
#include <limits>
#include <new>

namespace vorn {

namespace pool {
void* allocate(std::size_t bytes);
void deallocate(void* p, std::size_t bytes) noexcept;
}  // namespace pool

template <class T>
struct PoolAllocator {
    using value_type = T;

    PoolAllocator() noexcept = default;
    template <class U>
    PoolAllocator(const PoolAllocator<U>&) noexcept {}  // NOLINT: rebinding is implicit by design

    T* allocate(std::size_t n) {
        if (n > std::numeric_limits<std::size_t>::max() / sizeof(T)) throw std::bad_array_new_length();
        return static_cast<T*>(pool::allocate(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t n) noexcept { pool::deallocate(p, n * sizeof(T)); }

    friend bool operator==(const PoolAllocator&, const PoolAllocator&) noexcept { return true; }
};

}  // namespace vorn
