#include "GraphicsImport.h"

#include "ColourTags.h"
#include "LibraryLog.h"
#include "Memory.h"
#include "WebpPacket.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace {

struct Kind {
    AVCodecID codec;
    OSType type;
};

// Recognises the file by its first bytes, never by its name.
bool sniff(const std::vector<uint8_t>& b, Kind* kind) {
    auto starts = [&](const char* magic, size_t n, size_t at = 0) {
        return b.size() >= at + n && std::memcmp(b.data() + at, magic, n) == 0;
    };
    if (starts("\x89PNG\r\n\x1a\n", 8))
        *kind = {AV_CODEC_ID_PNG, FOUR_CHAR_CODE("png ")};
    else if (starts("\xff\xd8\xff", 3))
        *kind = {AV_CODEC_ID_MJPEG, FOUR_CHAR_CODE("jpeg")};
    else if (starts("II*\0", 4) || starts("MM\0*", 4))
        *kind = {AV_CODEC_ID_TIFF, FOUR_CHAR_CODE("tiff")};
    else if (starts("BM", 2) && b.size() >= 26)
        *kind = {AV_CODEC_ID_BMP, FOUR_CHAR_CODE("BMPf")};
    else if (starts("RIFF", 4) && starts("WEBP", 4, 8))
        *kind = {AV_CODEC_ID_WEBP, FOUR_CHAR_CODE("WebP")};
    else
        return false;
    return true;
}

uint32_t be32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}
uint32_t le32(const uint8_t* p) {
    return (uint32_t(p[3]) << 24) | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
}

// The decoders make the best of a file cut short (a partly grey JPEG, a PNG
// without its last chunks); an importer should rather say the file is damaged.
// These checks see that the container reaches its proper end.
bool looksComplete(const std::vector<uint8_t>& b, OSType type) {
    const size_t n = b.size();
    if (type == FOUR_CHAR_CODE("png ")) {
        size_t at = 8;
        while (at + 12 <= n) {
            uint32_t len = be32(&b[at]);
            if (len > n) return false;
            if (std::memcmp(&b[at + 4], "IEND", 4) == 0) return true;
            at += 12 + size_t(len);
        }
        return false;
    }
    if (type == FOUR_CHAR_CODE("jpeg")) {
        // Walk the marker segments up to the first scan, then look for the end
        // of image in the entropy-coded data (where 0xFF is always stuffed).
        size_t at = 2;
        while (at + 4 <= n) {
            if (b[at] != 0xFF) return false;
            uint8_t marker = b[at + 1];
            if (marker == 0xFF) {
                ++at;
                continue;
            }
            size_t len = (size_t(b[at + 2]) << 8) | b[at + 3];
            if (marker == 0xDA) {
                for (size_t i = at + 2 + len; i + 1 < n; ++i)
                    if (b[i] == 0xFF && b[i + 1] == 0xD9) return true;
                return false;
            }
            at += 2 + len;
        }
        return false;
    }
    if (type == FOUR_CHAR_CODE("WebP")) return size_t(le32(&b[4])) + 8 <= n;
    if (type == FOUR_CHAR_CODE("BMPf")) return size_t(le32(&b[2])) <= n || le32(&b[2]) == 0;
    return true; // TIFF: the decoder checks every strip against the file's size
}

struct DecodeState {
    bool tooLarge = false;
};

int checkedGetBuffer(AVCodecContext* ctx, AVFrame* frame, int flags) {
    if (frame->width > kMaxPictureSide || frame->height > kMaxPictureSide ||
        int64_t(frame->width) * frame->height > kGraphicsImportMaxPixels) {
        static_cast<DecodeState*>(ctx->opaque)->tooLarge = true;
        return AVERROR(ERANGE);
    }
    return avcodec_default_get_buffer2(ctx, frame, flags);
}

// The JPEG ("j") formats are the plain ones at full range; the converter
// wants them said that way. True when `format` was one.
bool unJPEG(AVPixelFormat* format) {
    switch (*format) {
    case AV_PIX_FMT_YUVJ420P:
        *format = AV_PIX_FMT_YUV420P;
        return true;
    case AV_PIX_FMT_YUVJ422P:
        *format = AV_PIX_FMT_YUV422P;
        return true;
    case AV_PIX_FMT_YUVJ444P:
        *format = AV_PIX_FMT_YUV444P;
        return true;
    case AV_PIX_FMT_YUVJ440P:
        *format = AV_PIX_FMT_YUV440P;
        return true;
    case AV_PIX_FMT_YUVJ411P:
        *format = AV_PIX_FMT_YUV411P;
        return true;
    default:
        return false;
    }
}

struct Importer : ComponentInstanceRecord {
    AVFrame* frame = nullptr;
    OSType type = 0;
    bool alpha = false;
    CGrafPtr world = nullptr;
    ~Importer() override { av_frame_free(&frame); }
};

Importer* importer(GraphicsImportComponent gi) {
    return dynamic_cast<Importer*>(gi);
}

bool hasAlpha(const AVFrame* f) {
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(AVPixelFormat(f->format));
    if (!d) return false;
    if (d->flags & AV_PIX_FMT_FLAG_PAL) {
        // A palette image has alpha only when some entry is not opaque.
        const auto* pal = reinterpret_cast<const uint32_t*>(f->data[1]);
        for (int i = 0; pal && i < 256; ++i)
            if ((pal[i] >> 24) != 0xFF) return true;
        return false;
    }
    return (d->flags & AV_PIX_FMT_FLAG_ALPHA) != 0;
}

OSErr decode(const std::vector<uint8_t>& bytes, const Kind& kind, AVFrame** out) {
    const AVCodec* codec = avcodec_find_decoder(kind.codec);
    if (!codec) return noCodecErr;
    AVCodecContext* ctx = avcodec_alloc_context3(codec);
    AVPacket* pkt = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    DecodeState state;
    OSErr result = memFullErr;
    if (ctx && pkt && frame && av_new_packet(pkt, int(bytes.size())) == 0) {
        std::memcpy(pkt->data, bytes.data(), bytes.size());
        CutWebpPacketToContainer(kind.codec, pkt);
        ctx->opaque = &state;
        ctx->get_buffer2 = checkedGetBuffer;
        ctx->max_pixels = int64_t(kMaxPictureSide) * kMaxPictureSide;
        ctx->thread_count = 1;
        ctx->thread_type = FF_THREAD_SLICE;
        // A PNG chunk whose checksum does not match is damage, not something to skip.
        if (kind.codec == AV_CODEC_ID_PNG) ctx->err_recognition = AV_EF_CRCCHECK | AV_EF_EXPLODE;
        result = codecBadDataErr;
        if (avcodec_open2(ctx, codec, nullptr) == 0 && avcodec_send_packet(ctx, pkt) >= 0) {
            avcodec_send_packet(ctx, nullptr);
            if (avcodec_receive_frame(ctx, frame) == 0 && frame->width > 0 && frame->height > 0 &&
                !(frame->flags & AV_FRAME_FLAG_CORRUPT) && frame->decode_error_flags == 0) {
                result = noErr;
            }
        }
        if (state.tooLarge) result = codecSizeErr;
    }
    if (result == noErr && (frame->width > kMaxPictureSide || frame->height > kMaxPictureSide))
        result = codecSizeErr;
    if (result == noErr) {
        *out = frame;
        frame = nullptr;
    }
    av_frame_free(&frame);
    av_packet_free(&pkt);
    avcodec_free_context(&ctx);
    return result;
}

bool readWholeFile(const std::string& path, std::vector<uint8_t>* bytes, OSErr* err) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        std::error_code ec;
        *err = std::filesystem::exists(path, ec) ? permErr : fnfErr;
        return false;
    }
    std::streamoff size = in.tellg();
    // No image we accept comes near this; a larger file is refused unread.
    if (size < 0 || size > (std::streamoff(1) << 30)) {
        *err = codecSizeErr;
        return false;
    }
    try {
        bytes->resize(size_t(size));
    } catch (const std::bad_alloc&) {
        *err = memFullErr;
        return false;
    }
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes->data()), size)) {
        *err = ioErr;
        return false;
    }
    return true;
}

} // namespace

OSErr GetGraphicsImporterForFile(const FSSpec* file, GraphicsImportComponent* gi) {
    RouteLibraryLog();
    if (!file || !gi) return paramErr;
    *gi = nullptr;
    std::vector<uint8_t> bytes;
    OSErr err = noErr;
    if (!readWholeFile(file->path, &bytes, &err)) return err;
    Kind kind{};
    if (!sniff(bytes, &kind)) return noCodecErr;
    if (!looksComplete(bytes, kind.type)) return codecBadDataErr;
    AVFrame* frame = nullptr;
    if (OSErr r = decode(bytes, kind, &frame)) return r;
    auto* imp = new (std::nothrow) Importer;
    if (!imp) {
        av_frame_free(&frame);
        return memFullErr;
    }
    imp->frame = frame;
    imp->type = kind.type;
    imp->alpha = hasAlpha(frame);
    *gi = imp;
    return noErr;
}

ComponentResult GraphicsImportGetImageDescription(GraphicsImportComponent gi,
                                                  ImageDescriptionHandle* desc) {
    Importer* imp = importer(gi);
    if (!imp || !desc) return paramErr;
    *desc = nullptr;
    Handle h = NewHandleClear(sizeof(ImageDescription));
    if (!h) return memFullErr;
    auto* d = reinterpret_cast<ImageDescription*>(*h);
    d->idSize = sizeof(ImageDescription);
    d->cType = imp->type;
    d->width = int16_t(imp->frame->width);
    d->height = int16_t(imp->frame->height);
    d->hRes = 72 << 16;
    d->vRes = 72 << 16;
    d->frameCount = 1;
    d->depth = imp->alpha ? 32 : 24;
    d->clutID = -1;
    *desc = reinterpret_cast<ImageDescriptionHandle>(h);
    return noErr;
}

ComponentResult GraphicsImportGetNaturalBounds(GraphicsImportComponent gi, Rect* natural) {
    Importer* imp = importer(gi);
    if (!imp || !natural) return paramErr;
    *natural = Rect{0, 0, int16_t(imp->frame->height), int16_t(imp->frame->width)};
    return noErr;
}

ComponentResult GraphicsImportSetGWorld(GraphicsImportComponent gi, CGrafPtr port, GDHandle) {
    Importer* imp = importer(gi);
    if (!imp) return paramErr;
    imp->world = port;
    return noErr;
}

ComponentResult GraphicsImportDraw(GraphicsImportComponent gi) {
    Importer* imp = importer(gi);
    if (!imp || !imp->world) return paramErr;
    const PixMap& pm = imp->world->pixMap;
    if (!pm.baseAddr || pm.pixelSize != 32) return paramErr;
    AVPixelFormat dstFormat;
    if (pm.pixelFormat == k32ARGBPixelFormat)
        dstFormat = AV_PIX_FMT_ARGB;
    else if (pm.pixelFormat == k32RGBAPixelFormat)
        dstFormat = AV_PIX_FMT_RGBA;
    else
        return paramErr;
    const int worldW = pm.bounds.right - pm.bounds.left;
    const int worldH = pm.bounds.bottom - pm.bounds.top;
    if (worldW <= 0 || worldH <= 0) return noErr; // nothing to draw into
    const AVFrame* f = imp->frame;
    const int w = f->width, h = f->height;

    // Some of the converters write a little past the end of a row, so they
    // work on a scratch image with room to spare, copied into the world
    // afterwards: the world's bytes beyond each row stay untouched.
    AVPixelFormat srcFormat = AVPixelFormat(f->format);
    const bool fullRange = unJPEG(&srcFormat) || ColourTags::of(f->color_range) == AVCOL_RANGE_JPEG;
    SwsContext* sws = sws_getContext(w, h, srcFormat, w, h, dstFormat,
                                     SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr,
                                     nullptr, nullptr);
    if (!sws) return codecErr;
    if (fullRange) {
        int* inv;
        int* table;
        int srcRange, dstRange, brightness, contrast, saturation;
        if (sws_getColorspaceDetails(sws, &inv, &srcRange, &table, &dstRange, &brightness,
                                     &contrast, &saturation) >= 0)
            sws_setColorspaceDetails(sws, inv, 1, table, dstRange, brightness, contrast,
                                     saturation);
    }
    const size_t stride = (size_t(w) * 4 + 64 + 63) & ~size_t(63);
    std::vector<uint8_t> scratch;
    try {
        scratch.resize(stride * (size_t(h) + 1));
    } catch (const std::bad_alloc&) {
        sws_freeContext(sws);
        return memFullErr;
    }
    uint8_t* dstPlanes[4] = {scratch.data(), nullptr, nullptr, nullptr};
    int dstStrides[4] = {int(stride), 0, 0, 0};
    int rows = sws_scale(sws, f->data, f->linesize, 0, h, dstPlanes, dstStrides);
    sws_freeContext(sws);
    if (rows != h) return codecErr;
    const int cw = std::min(w, worldW), ch = std::min(h, worldH);
    for (int y = 0; y < ch; ++y)
        std::memcpy(pm.baseAddr + size_t(y) * size_t(pm.rowBytes),
                    scratch.data() + size_t(y) * stride, size_t(cw) * 4);
    return noErr;
}
