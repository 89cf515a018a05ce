#include "PngFile.h"

#include "Files.h"
#include "LibraryLog.h"
#include "PictureLimits.h"

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
}

namespace {

struct CodecContextFree {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFree {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};

} // namespace

OSErr EncodePNG(const uint8_t* argb, int width, int height, long rowBytes,
                std::vector<uint8_t>* png) {
    RouteLibraryLog();
    if (!argb || !png || width < 1 || height < 1 || width > kMaxPictureSide ||
        height > kMaxPictureSide || rowBytes < long(width) * 4)
        return paramErr;
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_PNG);
    if (!codec) return codecErr;
    std::unique_ptr<AVCodecContext, CodecContextFree> ctx(avcodec_alloc_context3(codec));
    std::unique_ptr<AVFrame, FrameFree> frame(av_frame_alloc());
    std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
    if (!ctx || !frame || !packet) return memFullErr;
    ctx->width = width;
    ctx->height = height;
    ctx->pix_fmt = AV_PIX_FMT_RGB24;
    ctx->time_base = AVRational{1, 1};
    ctx->thread_count = 1;
    if (avcodec_open2(ctx.get(), codec, nullptr) < 0) return codecErr;

    frame->format = AV_PIX_FMT_RGB24;
    frame->width = width;
    frame->height = height;
    if (av_frame_get_buffer(frame.get(), 0) < 0) return memFullErr;
    for (int y = 0; y < height; ++y) {
        const uint8_t* s = argb + long(y) * rowBytes;
        uint8_t* d = frame->data[0] + long(y) * frame->linesize[0];
        for (int x = 0; x < width; ++x, s += 4, d += 3) {
            d[0] = s[1];
            d[1] = s[2];
            d[2] = s[3];
        }
    }
    if (avcodec_send_frame(ctx.get(), frame.get()) < 0) return codecErr;
    if (avcodec_send_frame(ctx.get(), nullptr) < 0) return codecErr;
    png->clear();
    for (;;) {
        const int r = avcodec_receive_packet(ctx.get(), packet.get());
        if (r == AVERROR_EOF) break;
        if (r < 0) return codecErr;
        png->insert(png->end(), packet->data, packet->data + packet->size);
        av_packet_unref(packet.get());
    }
    return png->empty() ? codecErr : noErr;
}

OSErr WritePNGFile(const char* path, const uint8_t* argb, int width, int height, long rowBytes,
                   const StillProvenance* provenance) {
    if (!path) return paramErr;
    std::vector<uint8_t> png;
    if (OSErr err = EncodePNG(argb, width, height, rowBytes, &png)) return err;

    FSSpec target;
    if (OSErr err = NativePathNameToFSSpec(path, &target, 0)) return err;
    FSSpec temporary;
    const OSType creator = FOUR_CHAR_CODE("ogle");
    if (OSErr err = FSpCreateTemporary(&target, creator, FOUR_CHAR_CODE("PNGf"), &temporary))
        return err;
    int16_t ref = 0;
    OSErr err = FSpOpenDF(&temporary, fsWrPerm, &ref);
    if (err == noErr) {
        long count = long(png.size());
        err = FSWrite(ref, &count, png.data());
        if (err == noErr && count != long(png.size())) err = ioErr;
        const OSErr closed = FSClose(ref);
        if (err == noErr) err = closed;
    }
    if (err == noErr && provenance) err = WriteStillProvenance(temporary.path.c_str(), *provenance);
    if (err == noErr) err = FSpReplace(&temporary, &target);
    if (err != noErr) FSpDelete(&temporary);
    return err;
}
