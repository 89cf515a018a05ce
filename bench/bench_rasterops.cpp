// Whole-raster operations, the kernel filter, the tile cache and the
// materialised resampler over generated frame-sized rasters.
#include "ImageLib.h"

#include <benchmark/benchmark.h>

namespace {
PixRectRW<ARGBVal> frame(int w, int h) {
    PixRectRW<ARGBVal> r(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            r.pixref(x, y) = ARGBVal(255, static_cast<unsigned char>(x ^ y),
                                     static_cast<unsigned char>(x + 3 * y),
                                     static_cast<unsigned char>(7 * x - y));
    return r;
}

void BM_MultiplyBy(benchmark::State& st) {
    PixRectRW<ARGBVal> r = frame(1280, 720);
    for (auto _ : st) {
        r.multiplyby(1.01);
        benchmark::ClobberMemory();
    }
    st.SetItemsProcessed(st.iterations() * 1280 * 720);
}
BENCHMARK(BM_MultiplyBy);

void BM_AddRasters(benchmark::State& st) {
    PixRectRW<ARGBVal> r = frame(1280, 720), s = frame(1280, 720);
    for (auto _ : st) {
        r.add(s);
        benchmark::ClobberMemory();
    }
    st.SetItemsProcessed(st.iterations() * 1280 * 720);
}
BENCHMARK(BM_AddRasters);

void BM_BlendWithLimit(benchmark::State& st) {
    PixRectRW<ARGBVal> r = frame(1280, 720), s = frame(1280, 720);
    s.incrementby(3);
    int count = 0;
    for (auto _ : st) {
        r.blendwithlimit(s, 8, count);
        benchmark::DoNotOptimize(count);
    }
    st.SetItemsProcessed(st.iterations() * 1280 * 720);
}
BENCHMARK(BM_BlendWithLimit);

void BM_KernelFilter(benchmark::State& st) {
    PixRectRW<ARGBVal> r = frame(640, 480);
    float k[5][5];
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 5; ++j) k[i][j] = float(1 + (i < 2) + (j > 2));
    for (auto _ : st) {
        PixRectRW<ARGBVal> out(r, k);
        benchmark::DoNotOptimize(out.pixNB(320, 240));
    }
    st.SetItemsProcessed(st.iterations() * 640 * 480);
}
BENCHMARK(BM_KernelFilter);

void BM_TileCacheRead(benchmark::State& st) {
    PixRectRW<ARGBVal> r = frame(640, 480);
    for (auto _ : st) {
        PixRectC<ARGBVal> c(r);
        unsigned sum = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) sum += c.pixNB(x, y).red;
        benchmark::DoNotOptimize(sum);
    }
    st.SetItemsProcessed(st.iterations() * 640 * 480);
}
BENCHMARK(BM_TileCacheRead);

// A grey source reduced by 2.5 into stored ARGB pixels, sampler by sampler.
void BM_SamplePixRectGreyReduce(benchmark::State& st) {
    PixRectRW<GreyPixel<float>> g(1280, 720);
    g.copyfrom(frame(1280, 720));
    ContImageRef<GreyPixel<float>> cont(g, SIBilinear);
    for (auto _ : st) {
        SamplePixRect<ARGBVal, GreyPixel<float>> s(cont, 2.5, 2.5, SIInterpolated);
        benchmark::DoNotOptimize(s.pixNB(10, 10));
    }
    st.SetItemsProcessed(st.iterations() * 512 * 288);
}
BENCHMARK(BM_SamplePixRectGreyReduce);
} // namespace

BENCHMARK_MAIN();
