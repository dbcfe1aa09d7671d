#include "utils/pool.hpp"

#include <cstdlib>

namespace vorn::pool {

namespace {

// Blocks below this come from the ordinary heap cheaply enough.
constexpr std::size_t kPooledMin = 64 * 1024;
constexpr std::size_t kSlots = 8;
// Never hold more than this many idle bytes per thread.
constexpr std::size_t kMaxRetained = std::size_t{48} << 20;

struct Cache {
    struct Block {
        void* p;
        std::size_t bytes;
    };
    Block blocks[kSlots];
    std::size_t count = 0;
    std::size_t retained = 0;

    void drop(std::size_t k) {
        retained -= blocks[k].bytes;
        ::operator delete(blocks[k].p);
        remove(k);
    }
    void remove(std::size_t k) {
        for (std::size_t j = k + 1; j < count; ++j) blocks[j - 1] = blocks[j];
        --count;
    }
    ~Cache() {
        while (count) drop(count - 1);
    }
};

thread_local Cache cache;

}  // namespace

void* allocate(std::size_t bytes) {
    if (bytes >= kPooledMin) {
        // Best fit, but never hand a block more than twice the size asked for.
        std::size_t best = cache.count;
        for (std::size_t k = 0; k < cache.count; ++k) {
            const std::size_t have = cache.blocks[k].bytes;
            if (have >= bytes && have / 2 <= bytes && (best == cache.count || have < cache.blocks[best].bytes))
                best = k;
        }
        if (best != cache.count) {
            void* p = cache.blocks[best].p;
            cache.retained -= cache.blocks[best].bytes;
            cache.remove(best);
            return p;
        }
    }
    return ::operator new(bytes);
}

void deallocate(void* p, std::size_t bytes) noexcept {
    if (!p) return;
    if (bytes < kPooledMin || bytes > kMaxRetained) {
        ::operator delete(p);
        return;
    }
    // Make room by dropping the oldest idle blocks.
    while (cache.count && (cache.count == kSlots || cache.retained + bytes > kMaxRetained)) cache.drop(0);
    cache.blocks[cache.count++] = {p, bytes};
    cache.retained += bytes;
}

}  // namespace vorn::pool
