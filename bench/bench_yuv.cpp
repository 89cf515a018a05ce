// Converting one 1920 x 1080 picture to ARGB at the same size: the exact
// converter beside the scaler's accurate full-chroma path that it replaces,
// in the same run, and the exact converter on baseline instructions. The
// per-pixel reference is there for scale. Then the frame renderer on an 8-bit
// and a 10-bit SDR frame beside 10-bit PQ and HLG frames tone-mapped to SDR.
#include "MovieFrameRenderer.h"
#include "YuvToArgb.h"

extern "C" {
#include <libavutil/frame.h>
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

// A 4:2:0 frame of ramps with some noise in the limited range, 8 or 10 bits,
// with the given transfer (BT.2020 for HDR, BT.709 otherwise): the tone
// table is looked up as on a picture, not at random.
void BM_Renderer(benchmark::State& state) {
    const bool deep = state.range(0) != 0;
    const auto transfer = AVColorTransferCharacteristic(state.range(1));
    AVFrame* f = av_frame_alloc();
    f->format = deep ? AV_PIX_FMT_YUV420P10LE : AV_PIX_FMT_YUV420P;
    f->width = W;
    f->height = H;
    av_frame_get_buffer(f, 0);
    const bool hdr = transfer != AVCOL_TRC_BT709;
    f->color_trc = transfer;
    f->color_primaries = hdr ? AVCOL_PRI_BT2020 : AVCOL_PRI_BT709;
    f->colorspace = hdr ? AVCOL_SPC_BT2020_NCL : AVCOL_SPC_BT709;
    f->color_range = AVCOL_RANGE_MPEG;
    std::mt19937 rng(3);
    for (int p = 0; p < 3; ++p)
        for (int y = 0; y < (p ? H / 2 : H); ++y)
            for (int x = 0; x < (p ? W / 2 : W); ++x) {
                const int v = 16 + (x / 8 + y / 4 + p * 60 + int(rng() % 8)) % 220;
                if (deep)
                    reinterpret_cast<uint16_t*>(f->data[p] + y * f->linesize[p])[x] =
                        uint16_t(v * 4);
                else
                    f->data[p][y * f->linesize[p] + x] = uint8_t(v);
            }
    std::vector<uint8_t> dst(size_t(W) * H * 4);
    MovieFrameRenderer renderer;
    const MovieRenderTarget target{dst.data(), W * 4, W, H, false};
    for (auto _ : state) {
        if (!renderer.render(f, target, 0, false)) state.SkipWithError("not converted");
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    av_frame_free(&f);
}

// The first argument is the chroma layout: 0 4:2:0, 1 4:2:2, 2 4:4:4; the
// second 1 for the baseline instructions only.
BENCHMARK(BM_Exact)->Args({0, 0})->Args({1, 0})->Args({2, 0})->Args({0, 1})->Unit(
    benchmark::kMillisecond);
BENCHMARK(BM_ScalerAccurate)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Reference)->Arg(0)->Unit(benchmark::kMillisecond);
// Bits (0: 8, 1: 10) and transfer: 8-bit SDR, 10-bit SDR, 10-bit PQ, 10-bit HLG.
BENCHMARK(BM_Renderer)
    ->Args({0, AVCOL_TRC_BT709})
    ->Args({1, AVCOL_TRC_BT709})
    ->Args({1, AVCOL_TRC_SMPTE2084})
    ->Args({1, AVCOL_TRC_ARIB_STD_B67})
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
