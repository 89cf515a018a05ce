#include "ParallelRows.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

void parallelRows(int height, int threads, const std::function<void(int, int)>& fn) {
    if (height < 1) return;
    const int n = std::max(1, std::min(threads, height));
    const auto band = [&](int i) {
        fn(int(std::int64_t(height) * i / n), int(std::int64_t(height) * (i + 1) / n));
    };
    std::atomic<bool> failed{false};
    std::vector<std::thread> helpers;
    helpers.reserve(std::size_t(n));
    int started = 1;
    try {
        for (; started < n; ++started) {
            helpers.emplace_back([&band, &failed, started] {
                try {
                    band(started);
                } catch (...) {
                    failed = true;
                }
            });
        }
    } catch (const std::system_error&) {
        // No more threads to be had: this thread takes the remaining bands.
    }
    try {
        band(0);
        for (int i = started; i < n; ++i) band(i);
    } catch (...) {
        failed = true;
    }
    for (auto& t : helpers) t.join();
    if (failed) throw std::bad_alloc();
}
