// FCompressImage ('jpeg') against libjpeg-turbo's own tjCompress2 on the same
// 1920 × 1080 ARGB pixels, at each named codec quality.
#include "ImageCompression.h"
#include "Memory.h"
#include "TestImages.h"

#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <vector>

namespace {

constexpr int W = 1920, H = 1080;

const std::vector<unsigned char>& pixels() {
    static const std::vector<unsigned char> argb = [] {
        TestRaster r = GradientRaster(W, H);
        std::vector<unsigned char> out(size_t(W) * H * 4);
        for (size_t i = 0; i < out.size(); i += 4) {
            // Some texture so that the entropy coder has real work.
            unsigned noise = unsigned(i * 2654435761u) >> 28;
            out[i] = 255;
            out[i + 1] = uint8_t(r.rgba[i] ^ noise);
            out[i + 2] = uint8_t(r.rgba[i + 1] + noise);
            out[i + 3] = r.rgba[i + 2];
        }
        return out;
    }();
    return argb;
}

OSErr discard(Ptr, long count, long refcon) {
    *reinterpret_cast<long*>(refcon) += count;
    return noErr;
}

void BM_FCompressImage(benchmark::State& state) {
    auto& px = pixels();
    Rect bounds{0, 0, H, W};
    GWorldPtr world = nullptr;
    NewGWorldFromPtr(&world, k32ARGBPixelFormat, &bounds, nullptr, nullptr, 0,
                     const_cast<Ptr>(reinterpret_cast<const char*>(px.data())), W * 4);
    Handle desc = NewHandle(86);
    Handle buffer = NewHandle(32768);
    long total = 0;
    ICMFlushProcRecord flush{discard, reinterpret_cast<long>(&total)};
    for (auto _ : state) {
        OSErr err = FCompressImage(GetGWorldPixMap(world), &bounds, 32, CodecQ(state.range(0)),
                                   kJPEGCodecType, anyCodec, nullptr, 0, 32768, &flush, nullptr,
                                   reinterpret_cast<ImageDescriptionHandle>(desc), *buffer);
        if (err) state.SkipWithError("compression failed");
    }
    benchmark::DoNotOptimize(total);
    DisposeHandle(buffer);
    DisposeHandle(desc);
    DisposeGWorld(world);
}

void BM_tjCompress2(benchmark::State& state) {
    auto& px = pixels();
    JPEGSettings s = JPEGSettingsForCodecQuality(CodecQ(state.range(0)));
    tjhandle tj = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    for (auto _ : state) {
        if (tjCompress2(tj, px.data(), W, W * 4, H, TJPF_ARGB, &out, &size,
                        s.fullChroma ? TJSAMP_444 : TJSAMP_420, s.quality, 0) != 0)
            state.SkipWithError("tjCompress2 failed");
    }
    tjFree(out);
    tjDestroy(tj);
}

} // namespace

BENCHMARK(BM_FCompressImage)
    ->Arg(0)
    ->Arg(0x100)
    ->Arg(0x200)
    ->Arg(0x300)
    ->Arg(0x3FF)
    ->Arg(0x400)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_tjCompress2)
    ->Arg(0)
    ->Arg(0x100)
    ->Arg(0x200)
    ->Arg(0x300)
    ->Arg(0x3FF)
    ->Arg(0x400)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
