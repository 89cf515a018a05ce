// The snapshot road on a 1920 x 1080 frame: the lazy resampler over a continuous
// view of a region of a wrapped frame buffer, built into a bitmap. Counters give
// megapixels of result per second.
#include "Bitmap.h"
#include "ContImageRef.h"
#include "PixRectRef.h"
#include "PixRectWrap.h"
#include "SamplePixRect.h"
#include "SamplePixRectNC.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <thread>
#include <vector>

namespace {

constexpr int frameW = 1920, frameH = 1080;

// A frame with gradients and texture, as a decoded movie frame might look.
const std::vector<ARGBVal>& frame() {
    static const std::vector<ARGBVal> f = [] {
        std::vector<ARGBVal> v(std::size_t(frameW) * frameH);
        std::uint32_t s = 12345;
        for (int y = 0; y < frameH; ++y)
            for (int x = 0; x < frameW; ++x) {
                s = s * 1664525u + 1013904223u;
                const int n = int(s >> 28);
                v[std::size_t(y) * frameW + x] =
                    ARGBVal(255, std::uint8_t((x / 8 + n) & 255), std::uint8_t((y / 5 + n) & 255),
                            std::uint8_t(((x + y) / 11) & 255));
            }
        return v;
    }();
    return f;
}

struct Case {
    const char* name;
    int w, h; // the result's size
};
// Enlargement by 2 and by 1.25, reduction by 2.5, and 2 x 3 from an explicit size.
const Case cases[] = {
    {"enlarge_3840x2160", 3840, 2160},
    {"enlarge_2400x1350", 2400, 1350},
    {"reduce_768x432", 768, 432},
    {"reduce_960x360", 960, 360},
};

void BM_Snapshot(benchmark::State& state) {
    const Case& c = cases[state.range(0)];
    const auto code = siinterpcode(state.range(1));
    const int threads = state.range(2) == 0 ? int(std::thread::hardware_concurrency()) : 1;
    PixRectWrap<ARGBVal> all(const_cast<ARGBVal*>(frame().data()), frameW, frameH, SIAllLines);
    PixRectRef<ARGBVal> region(all, 0, 0, frameW - 1, frameH - 1);
    ContImageRef<ARGBVal> cont(region, code);
    // Factors as a snapshot of an explicit size computes them.
    SamplePixRectNC<ARGBVal, ARGBVal> sample(cont, double(frameW) / c.w, double(frameH) / c.h,
                                             SIInterpolated);
    Bitmap bm;
    bm.width = sample.width();
    bm.height = sample.height();
    bm.bytesPerRow = bm.width * 4;
    bm.dataSize = bm.bytesPerRow * bm.height;
    bm.makeData(static_cast<unsigned long>(bm.dataSize));
    // One fill before timing, so that the bitmap's pages are in place: the loop
    // measures the resampling, not the first touch of fresh memory.
    bm.fillFrom(sample, threads);
    for (auto _ : state) {
        benchmark::DoNotOptimize(bm.fillFrom(sample, threads));
        benchmark::ClobberMemory();
    }
    const double pixels = double(sample.width()) * sample.height();
    state.counters["MPix/s"] =
        benchmark::Counter(pixels * double(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
    state.SetLabel(std::string(c.name) + " code " + std::to_string(int(code)) +
                   (threads == 1 ? " 1 thread" : " all cores"));
}

BENCHMARK(BM_Snapshot)
    ->ArgNames({"case", "code", "single"})
    ->ArgsProduct({{0, 1, 2, 3}, {0, 1, 2, 3}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(0.3);

// The same chain resampled into stored pixels (a SamplePixRect) rather than a
// bitmap: reductions go through the snapshot road, the enlargement through the
// samplers (it keeps the view's alpha, which the road does not write).
void BM_StoredSnapshot(benchmark::State& state) {
    const Case& c = cases[state.range(0)];
    PixRectWrap<ARGBVal> all(const_cast<ARGBVal*>(frame().data()), frameW, frameH, SIAllLines);
    PixRectRef<ARGBVal> region(all, 0, 0, frameW - 1, frameH - 1);
    ContImageRef<ARGBVal> cont(region, siinterpcode(state.range(1)));
    const double xs = double(frameW) / c.w, ys = double(frameH) / c.h;
    long pixels = 0;
    for (auto _ : state) {
        SamplePixRect<ARGBVal, ARGBVal> stored(cont, xs, ys, SIInterpolated);
        pixels += long(stored.width()) * stored.height();
        benchmark::DoNotOptimize(stored.pixNB(0, 0));
    }
    state.counters["MPix/s"] =
        benchmark::Counter(double(pixels) / 1e6, benchmark::Counter::kIsRate);
    state.SetLabel(std::string(c.name) + " code " + std::to_string(state.range(1)));
}

} // namespace

BENCHMARK(BM_StoredSnapshot)
    ->ArgNames({"case", "code"})
    ->ArgsProduct({{2, 3}, {0, 3}})
    ->Args({1, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(0.3);

BENCHMARK_MAIN();
