#include "HeapTuning.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <malloc.h>
#include <sys/mman.h>
#include <utility>
#include <vector>

namespace {
constexpr std::size_t kLargePage = std::size_t(2) << 20;
// The C library's ceiling for the size above which a block gets its own
// mapping; blocks below it come from the heap and go back to it.
constexpr std::size_t kOwnMappingFrom = std::size_t(32) << 20;
constexpr std::size_t kReserveStep = std::size_t(30) << 20;

std::uintptr_t roundUp(std::uintptr_t v) {
    return (v + kLargePage - 1) & ~std::uintptr_t(kLargePage - 1);
}
std::uintptr_t roundDown(std::uintptr_t v) {
    return v & ~std::uintptr_t(kLargePage - 1);
}
} // namespace

std::size_t TuneHeapForLargeBlocks(std::size_t reserveBytes) {
    mallopt(M_MMAP_THRESHOLD, int(kOwnMappingFrom));
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    // Threads would otherwise each get an arena of their own, unadvised.
    mallopt(M_ARENA_MAX, 1);

    // Blocks taken from the heap one after the other lie side by side (a
    // chunk header apart); the advice stays with the address range after
    // they are freed, and later blocks are carved from it. Nothing here
    // touches the memory itself.
    std::vector<std::pair<std::uintptr_t, std::size_t>> blocks; // address, size
    for (std::size_t got = 0; got < reserveBytes;) {
        const std::size_t size = std::min(kReserveStep, reserveBytes - got);
        void* p = std::malloc(size);
        if (!p) break;
        blocks.emplace_back(std::uintptr_t(p), size);
        got += size;
    }
    std::vector<std::pair<std::uintptr_t, std::uintptr_t>> runs; // address ranges
    std::sort(blocks.begin(), blocks.end());
    for (const auto& [a, size] : blocks) {
        if (!runs.empty() && a >= runs.back().second && a - runs.back().second <= 64)
            runs.back().second = a + size;
        else
            runs.emplace_back(a, a + size);
    }
    std::size_t advised = 0;
    for (const auto& [first, last] : runs) {
        const std::uintptr_t from = roundUp(first), to = roundDown(last);
        if (to <= from) continue;
        // Where large pages are not offered on request this fails, and the
        // heap stays as it is.
        if (madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE) != 0) break;
        advised += to - from;
    }
    for (auto it = blocks.rbegin(); it != blocks.rend(); ++it)
        std::free(reinterpret_cast<void*>(it->first));
    return advised;
}
