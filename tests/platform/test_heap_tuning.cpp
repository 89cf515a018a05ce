// The heap tuning for frame-sized blocks: the advised range is whole large
// pages, and afterwards a frame-sized block comes from the heap (where the
// advice and reuse apply), not from a mapping of its own.
#include "HeapTuning.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {
// Whether the system hands out large pages when asked for them.
[[maybe_unused]] bool largePagesOnRequest() {
    std::ifstream f("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string line;
    std::getline(f, line);
    return line.find("[always]") != std::string::npos ||
           line.find("[madvise]") != std::string::npos;
}

// The name of the mapping holding address a ("[heap]", a file, or "").
[[maybe_unused]] std::string mappingOf(const void* a) {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    const auto addr = std::uintptr_t(a);
    while (std::getline(maps, line)) {
        std::uintptr_t from = 0, to = 0;
        if (std::sscanf(line.c_str(), "%lx-%lx", &from, &to) != 2) continue;
        if (addr < from || addr >= to) continue;
        const auto slash = line.find_first_of("[/");
        return slash == std::string::npos ? "" : line.substr(slash);
    }
    return "?";
}
} // namespace

TEST(HeapTuning, FrameSizedBlocksComeFromAnAdvisedHeap) {
    const std::size_t reserve = std::size_t(64) << 20;
    const std::size_t advised = TuneHeapForLargeBlocks(reserve);
    EXPECT_EQ(advised % (std::size_t(2) << 20), 0u);
    EXPECT_LE(advised, reserve);
#if !defined(__SANITIZE_ADDRESS__)
    if (largePagesOnRequest()) {
        EXPECT_GE(advised, reserve / 2);
    }
    // 8 MB, a 1920 x 1080 frame: from the heap, so it is reused once freed.
    void* frame = std::malloc(std::size_t(8) << 20);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(mappingOf(frame), "[heap]");
    std::free(frame);
#endif
}
