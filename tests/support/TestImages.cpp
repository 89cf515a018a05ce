#include "TestImages.h"
#include "ScratchFolder.h"

#include <algorithm>
#include <stdexcept>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/opt.h>
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

namespace {

struct Encoder {
    AVCodecContext* ctx = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* pkt = nullptr;
    SwsContext* sws = nullptr;
    ~Encoder() {
        sws_freeContext(sws);
        av_packet_free(&pkt);
        av_frame_free(&frame);
        avcodec_free_context(&ctx);
    }
};

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error("test image encoding: " + what);
}

std::vector<uint8_t> encode(const char* name, AVPixelFormat format, const TestRaster& r,
                            TestImageFormat kind) {
    const AVCodec* codec = avcodec_find_encoder_by_name(name);
    if (!codec) fail(std::string("no encoder ") + name);
    Encoder e;
    e.ctx = avcodec_alloc_context3(codec);
    e.frame = av_frame_alloc();
    e.pkt = av_packet_alloc();
    if (!e.ctx || !e.frame || !e.pkt) fail("out of memory");
    e.ctx->width = r.width;
    e.ctx->height = r.height;
    e.ctx->pix_fmt = format;
    e.ctx->time_base = {1, 25};
    if (kind == TestImageFormat::JPEG) {
        e.ctx->flags |= AV_CODEC_FLAG_QSCALE;
        e.ctx->global_quality = FF_QP2LAMBDA * 2;
    }
    if (kind == TestImageFormat::WebP) av_opt_set_int(e.ctx->priv_data, "lossless", 1, 0);
    if (avcodec_open2(e.ctx, codec, nullptr) < 0) fail(std::string("cannot open ") + name);

    e.frame->format = format;
    e.frame->width = r.width;
    e.frame->height = r.height;
    if (av_frame_get_buffer(e.frame, 0) < 0) fail("no frame buffer");
    e.frame->quality = e.ctx->global_quality;
    e.sws = sws_getContext(r.width, r.height, AV_PIX_FMT_RGBA, r.width, r.height, format,
                           SWS_POINT | SWS_BITEXACT | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT,
                           nullptr, nullptr, nullptr);
    if (!e.sws) fail("no converter");
    const uint8_t* src[4] = {r.rgba.data(), nullptr, nullptr, nullptr};
    const int srcStride[4] = {r.width * 4, 0, 0, 0};
    sws_scale(e.sws, src, srcStride, 0, r.height, e.frame->data, e.frame->linesize);

    std::vector<uint8_t> out;
    if (avcodec_send_frame(e.ctx, e.frame) < 0) fail("encoder refused the frame");
    avcodec_send_frame(e.ctx, nullptr);
    while (avcodec_receive_packet(e.ctx, e.pkt) == 0) {
        out.insert(out.end(), e.pkt->data, e.pkt->data + e.pkt->size);
        av_packet_unref(e.pkt);
    }
    if (out.empty()) fail("no output");
    return out;
}

} // namespace

std::vector<uint8_t> EncodeTestImage(const TestRaster& r, TestImageFormat format) {
    switch (format) {
    case TestImageFormat::PNG:
        return encode("png", r.alpha ? AV_PIX_FMT_RGBA : AV_PIX_FMT_RGB24, r, format);
    case TestImageFormat::JPEG:
        return encode("mjpeg", AV_PIX_FMT_YUVJ444P, r, format);
    case TestImageFormat::TIFF:
        return encode("tiff", r.alpha ? AV_PIX_FMT_RGBA : AV_PIX_FMT_RGB24, r, format);
    case TestImageFormat::BMP:
        return encode("bmp", AV_PIX_FMT_BGR24, r, format);
    case TestImageFormat::WebP:
        return encode("libwebp", AV_PIX_FMT_RGB32, r, format);
    }
    fail("unknown format");
}

void WriteTestImage(const std::string& path, const TestRaster& raster, TestImageFormat format) {
    WriteFileBytes(path, EncodeTestImage(raster, format));
}
