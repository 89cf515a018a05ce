// Bitmapio::saveToFile writing a 1920 × 1080 bitmap as a JPEG file at each
// quality, beside libjpeg-turbo's tjCompress2 on the same pixels with its
// output written to a file: plainly, and forced to the disk as the save is.
#include "Bitmapio.h"
#include "ImageCompression.h"
#include "ScratchFolder.h"
#include "TestImages.h"

#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <cstdio>
#include <memory>

#include <unistd.h>

namespace {

constexpr int W = 1920, H = 1080;

// The same textured gradient as the compression benchmark.
const Bitmapio& bitmap() {
    static const std::unique_ptr<Bitmapio> bm = [] {
        TestRaster r = GradientRaster(W, H);
        PixRectRW<ARGBVal> raster(W, H);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const size_t i = (size_t(y) * W + x) * 4;
                const unsigned noise = unsigned(i * 2654435761u) >> 28;
                raster.pixrefNB(x, y) = ARGBVal(255, uint8_t(r.rgba[i] ^ noise),
                                                uint8_t(r.rgba[i + 1] + noise), r.rgba[i + 2]);
            }
        return std::make_unique<Bitmapio>(raster);
    }();
    return *bm;
}

ScratchFolder& folder() {
    static ScratchFolder dir;
    return dir;
}

void BM_saveToFile(benchmark::State& state) {
    const Bitmapio& bm = bitmap();
    const std::string path = folder().file("save.jpg");
    for (auto _ : state) {
        if (bm.saveToFile(path.c_str(), int(state.range(0))) != 1)
            state.SkipWithError("save failed");
    }
}

// tjCompress2 at the settings the save uses, then the bytes written to a file
// (and with `sync`, forced to the disk before closing).
void tjCompressToFile(benchmark::State& state, bool sync) {
    const Bitmapio& bm = bitmap();
    const JPEGSettings s = JPEGSettingsForCodecQuality(QTJPEG_CodecQuality(int(state.range(0))));
    const std::string path = folder().file(sync ? "tj-sync.jpg" : "tj.jpg");
    tjhandle tj = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    for (auto _ : state) {
        if (tjCompress2(tj, bm.data, W, W * 4, H, TJPF_ARGB, &out, &size,
                        s.fullChroma ? TJSAMP_444 : TJSAMP_420, s.quality, 0) != 0) {
            state.SkipWithError("tjCompress2 failed");
            break;
        }
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f || std::fwrite(out, 1, size, f) != size) state.SkipWithError("write failed");
        if (f && sync) {
            std::fflush(f);
            fsync(fileno(f));
        }
        if (f) std::fclose(f);
    }
    tjFree(out);
    tjDestroy(tj);
}

void BM_tjCompress2ToFile(benchmark::State& state) {
    tjCompressToFile(state, false);
}
void BM_tjCompress2ToFileSynced(benchmark::State& state) {
    tjCompressToFile(state, true);
}

// One quality argument in each band of the table: lossless, maximum, high,
// normal, low, minimum.
void qualities(benchmark::internal::Benchmark* b) {
    for (int q : {0, 10, 30, 60, 80, 95}) b->Arg(q);
    b->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(BM_saveToFile)->Apply(qualities);
BENCHMARK(BM_tjCompress2ToFile)->Apply(qualities);
BENCHMARK(BM_tjCompress2ToFileSynced)->Apply(qualities);
BENCHMARK_MAIN();
