// Converting one 1920 x 1080 picture to ARGB at the same size: the exact
// converter beside the scaler's accurate full-chroma path that it replaces,
// in the same run, and the exact converter on baseline instructions. The
// per-pixel reference is there for scale.
#include "YuvToArgb.h"

extern "C" {
#include <libswscale/swscale.h>
}

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

constexpr int W = 1920, H = 1080;

struct Source {
    std::vector<uint8_t> data[3];
    YuvPlanes planes;
    explicit Source(ChromaLayout layout) {
        std::mt19937 rng(3);
        planes.width = W;
        planes.height = H;
        planes.layout = layout;
        for (int i = 0; i < 3; ++i) {
            const int w = i == 0 || layout == ChromaLayout::s444 ? W : W / 2;
            const int h = i == 0 || layout != ChromaLayout::s420 ? H : H / 2;
            planes.stride[i] = (w + 63) / 64 * 64;
            data[i].resize(size_t(planes.stride[i]) * h);
            for (auto& b : data[i]) b = uint8_t(rng());
            planes.plane[i] = data[i].data();
        }
    }
};

AVPixelFormat swsFormat(ChromaLayout l) {
    return l == ChromaLayout::s420   ? AV_PIX_FMT_YUV420P
           : l == ChromaLayout::s422 ? AV_PIX_FMT_YUV422P
                                     : AV_PIX_FMT_YUV444P;
}

void BM_Exact(benchmark::State& state) {
    const Source src{ChromaLayout(state.range(0))};
    std::vector<uint8_t> dst(size_t(W) * H * 4);
    YuvToArgb converter(state.range(1) != 0);
    for (auto _ : state) {
        converter.convert(src.planes, {YuvMatrix::bt709, false, false}, dst.data(), W * 4, false);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
}

void BM_ScalerAccurate(benchmark::State& state) {
    const Source src{ChromaLayout(state.range(0))};
    std::vector<uint8_t> dst(size_t(W) * H * 4);
    SwsContext* sws = sws_getContext(W, H, swsFormat(src.planes.layout), W, H, AV_PIX_FMT_ARGB,
                                     SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr,
                                     nullptr, nullptr);
    sws_setColorspaceDetails(sws, sws_getCoefficients(SWS_CS_ITU709), 0,
                             sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
    const uint8_t* planes[4] = {src.planes.plane[0], src.planes.plane[1], src.planes.plane[2],
                                nullptr};
    const int strides[4] = {int(src.planes.stride[0]), int(src.planes.stride[1]),
                            int(src.planes.stride[2]), 0};
    uint8_t* out[4] = {dst.data(), nullptr, nullptr, nullptr};
    const int outStrides[4] = {W * 4, 0, 0, 0};
    for (auto _ : state) {
        sws_scale(sws, planes, strides, 0, H, out, outStrides);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    sws_freeContext(sws);
}

void BM_Reference(benchmark::State& state) {
    const Source src{ChromaLayout(state.range(0))};
    std::vector<uint8_t> dst(size_t(W) * H * 4);
    for (auto _ : state) {
        convertYuvReference(src.planes, {YuvMatrix::bt709, false, false}, dst.data(), W * 4, false);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
}

// The first argument is the chroma layout: 0 4:2:0, 1 4:2:2, 2 4:4:4; the
// second 1 for the baseline instructions only.
BENCHMARK(BM_Exact)->Args({0, 0})->Args({1, 0})->Args({2, 0})->Args({0, 1})->Unit(
    benchmark::kMillisecond);
BENCHMARK(BM_ScalerAccurate)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Reference)->Arg(0)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
