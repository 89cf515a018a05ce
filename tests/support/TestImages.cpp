#include "TestImages.h"
#include "ScratchFolder.h"
#include "TestMovies.h"

#include <algorithm>
#include <stdexcept>

extern "C" {
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

TestRaster GradientRaster(int width, int height, bool alpha) {
    TestRaster r{width, height, alpha, std::vector<uint8_t>(size_t(width) * height * 4)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = r.at(x, y);
            p[0] = uint8_t(width > 1 ? x * 255 / (width - 1) : 0);
            p[1] = uint8_t(height > 1 ? y * 255 / (height - 1) : 0);
            p[2] = uint8_t((x + y) * 255 / std::max(1, width + height - 2));
            // Never fully transparent: some encoders may change the colour of invisible pixels.
            p[3] = alpha ? uint8_t(64 + (x * 3 + y * 5) % 192) : 255;
        }
    return r;
}

TestRaster FlatRaster(int width, int height, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    TestRaster out{width, height, a != 255, std::vector<uint8_t>(size_t(width) * height * 4)};
    for (size_t i = 0; i < out.rgba.size(); i += 4) {
        out.rgba[i] = r;
        out.rgba[i + 1] = g;
        out.rgba[i + 2] = b;
        out.rgba[i + 3] = a;
    }
    return out;
}

std::vector<uint8_t> EncodeTestImage(const TestRaster& r, TestImageFormat format) {
    static const struct {
        const char* encoder;
        AVPixelFormat opaque, alpha;
    } kinds[] = {{"png", AV_PIX_FMT_RGB24, AV_PIX_FMT_RGBA},
                 {"mjpeg", AV_PIX_FMT_YUVJ444P, AV_PIX_FMT_YUVJ444P},
                 {"tiff", AV_PIX_FMT_RGB24, AV_PIX_FMT_RGBA},
                 {"bmp", AV_PIX_FMT_BGR24, AV_PIX_FMT_BGR24},
                 {"libwebp", AV_PIX_FMT_RGB32, AV_PIX_FMT_RGB32}};
    const auto& kind = kinds[int(format)];
    testmovies::MovieOptions o;
    o.encoder = kind.encoder;
    o.width = r.width;
    o.height = r.height;
    o.pixelFormat = r.alpha ? kind.alpha : kind.opaque;
    o.painter = [&r](AVFrame* f, int) {
        SwsContext* sws = sws_getContext(
            r.width, r.height, AV_PIX_FMT_RGBA, r.width, r.height, AVPixelFormat(f->format),
            SWS_POINT | SWS_BITEXACT | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr, nullptr,
            nullptr);
        const uint8_t* src[4] = {r.rgba.data(), nullptr, nullptr, nullptr};
        const int srcStride[4] = {r.width * 4, 0, 0, 0};
        sws_scale(sws, src, srcStride, 0, r.height, f->data, f->linesize);
        sws_freeContext(sws);
    };
    std::string error;
    std::vector<uint8_t> bytes = testmovies::encodeStill(o, &error);
    if (bytes.empty()) throw std::runtime_error("test image encoding: " + error);
    return bytes;
}

void WriteTestImage(const std::string& path, const TestRaster& raster, TestImageFormat format) {
    WriteFileBytes(path, EncodeTestImage(raster, format));
}
