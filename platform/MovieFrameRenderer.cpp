#include "MovieFrameRenderer.h"

#include "ColourTags.h"
#include "YuvToArgb.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <cstring>

namespace {

// The full-range ("J") formats are old aliases: the scaler wants the plain
// format with the range given separately.
AVPixelFormat plainFormat(AVPixelFormat f, bool* full) {
    switch (f) {
    case AV_PIX_FMT_YUVJ420P:
        *full = true;
        return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P:
        *full = true;
        return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P:
        *full = true;
        return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P:
        *full = true;
        return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P:
        *full = true;
        return AV_PIX_FMT_YUV411P;
    default:
        return f;
    }
}

// The matrix of the stream; an untagged picture is taken as BT.709 when it is
// HD (720 lines or more) and as BT.601 otherwise, as players do.
YuvMatrix matrixOf(const AVFrame* f) {
    switch (ColourTags::of(f->colorspace)) {
    case AVCOL_SPC_BT709:
        return YuvMatrix::bt709;
    case AVCOL_SPC_FCC:
        return YuvMatrix::fcc;
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M:
        return YuvMatrix::bt601;
    case AVCOL_SPC_SMPTE240M:
        return YuvMatrix::smpte240m;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL:
        return YuvMatrix::bt2020;
    default:
        return f->height >= 720 ? YuvMatrix::bt709 : YuvMatrix::bt601;
    }
}

// The same matrix for the scaler.
int swsSpace(const AVFrame* f) {
    switch (matrixOf(f)) {
    case YuvMatrix::bt709:
        return SWS_CS_ITU709;
    case YuvMatrix::fcc:
        return SWS_CS_FCC;
    case YuvMatrix::smpte240m:
        return SWS_CS_SMPTE240M;
    case YuvMatrix::bt2020:
        return SWS_CS_BT2020;
    case YuvMatrix::bt601:
        break;
    }
    return SWS_CS_ITU601;
}

// The 8-bit planar layouts the exact converter takes.
bool chromaLayoutOf(AVPixelFormat f, ChromaLayout* layout) {
    switch (f) {
    case AV_PIX_FMT_YUV420P:
        *layout = ChromaLayout::s420;
        return true;
    case AV_PIX_FMT_YUV422P:
        *layout = ChromaLayout::s422;
        return true;
    case AV_PIX_FMT_YUV444P:
        *layout = ChromaLayout::s444;
        return true;
    default:
        return false;
    }
}

} // namespace

MovieFrameRenderer::~MovieFrameRenderer() {
    sws_freeContext(sws);
}

bool MovieFrameRenderer::convert(const AVFrame* frame, uint8_t* dst, long dstRowBytes, int dstW,
                                 int dstH, bool rgba, bool oneField) {
    bool full = ColourTags::of(frame->color_range) == AVCOL_RANGE_JPEG;
    AVPixelFormat src = plainFormat(AVPixelFormat(frame->format), &full);
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(src);
    if (!desc || frame->width <= 0 || frame->height <= 0) return false;

    const uint8_t* planes[4] = {frame->data[0], frame->data[1], frame->data[2], frame->data[3]};
    int strides[4] = {frame->linesize[0], frame->linesize[1], frame->linesize[2],
                      frame->linesize[3]};
    int srcH = frame->height;
    // One field: every other line of every plane. Only where each field has
    // whole chroma rows (height a multiple of 4), which every interlaced
    // format has; other pictures are shown whole.
    if (oneField && frame->interlaced_frame && frame->height % 4 == 0 &&
        !(desc->flags & AV_PIX_FMT_FLAG_HWACCEL) && !(desc->flags & AV_PIX_FMT_FLAG_PAL)) {
        int field = frame->top_field_first ? 0 : 1;
        for (int i = 0; i < 4; ++i) {
            if (!planes[i]) continue;
            planes[i] += long(field) * strides[i];
            strides[i] *= 2;
        }
        srcH = frame->height / 2;
    }

    // Deep colour and HDR: zimg at full precision, at any size.
    if (DeepColourToArgb::takes(frame) &&
        deep.convert(frame, planes, strides, srcH, dst, dstRowBytes, dstW, dstH, rgba))
        return true;

    // Same size: the exact converter, with linear chroma at its stated siting.
    // Scaling (a sample aspect ratio) and every other format go to the scaler.
    ChromaLayout layout;
    if (dstW == frame->width && dstH == srcH && chromaLayoutOf(src, &layout) && planes[0] &&
        planes[1] && planes[2]) {
        YuvPlanes in;
        for (int i = 0; i < 3; ++i) {
            in.plane[i] = planes[i];
            in.stride[i] = strides[i];
        }
        in.width = frame->width;
        in.height = srcH;
        in.layout = layout;
        YuvFormat format;
        format.matrix = matrixOf(frame);
        format.fullRange = full;
        // Left siting (the MPEG-2 and H.264 default) unless the stream says centred.
        format.chromaCentred = ColourTags::of(frame->chroma_location) == AVCHROMA_LOC_CENTER;
        yuv.convert(in, format, dst, dstRowBytes, rgba);
        return true;
    }

    const AVPixelFormat dstFmt = rgba ? AV_PIX_FMT_RGBA : AV_PIX_FMT_ARGB;
    SwsContext* next = sws_getCachedContext(sws, frame->width, srcH, src, dstW, dstH, dstFmt,
                                            SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT,
                                            nullptr, nullptr, nullptr);
    if (!next) return false;
    if (next != sws) lastSpace = lastRange = -1;
    sws = next;
    int space = swsSpace(frame);
    if (space != lastSpace || int(full) != lastRange) {
        // RGB sources have no matrix; the call then fails harmlessly.
        sws_setColorspaceDetails(sws, sws_getCoefficients(space), full ? 1 : 0,
                                 sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
        lastSpace = space;
        lastRange = full;
    }
    uint8_t* dstPlanes[4] = {dst, nullptr, nullptr, nullptr};
    int dstStrides[4] = {int(dstRowBytes), 0, 0, 0};
    if (sws_scale(sws, planes, strides, 0, srcH, dstPlanes, dstStrides) <= 0) return false;
    if (desc->flags & AV_PIX_FMT_FLAG_ALPHA) {
        const int a = rgba ? 3 : 0;
        for (int y = 0; y < dstH; ++y) {
            uint8_t* row = dst + long(y) * dstRowBytes;
            for (int x = 0; x < dstW; ++x) row[x * 4 + a] = 255;
        }
    }
    return true;
}

bool MovieFrameRenderer::render(const AVFrame* frame, const MovieRenderTarget& target,
                                int rotationCw, bool oneField) {
    if (!frame || !target.base || target.width <= 0 || target.height <= 0) return false;
    if (rotationCw == 0)
        return convert(frame, target.base, target.rowBytes, target.width, target.height,
                       target.rgba, oneField);

    const bool quarter = rotationCw == 90 || rotationCw == 270;
    const int w = quarter ? target.height : target.width; // the picture before turning
    const int h = quarter ? target.width : target.height;
    turned.resize(size_t(w) * size_t(h) * 4);
    if (!convert(frame, turned.data(), long(w) * 4, w, h, target.rgba, oneField)) return false;
    const auto* src = reinterpret_cast<const uint32_t*>(turned.data());
    for (int y = 0; y < target.height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(target.base + long(y) * target.rowBytes);
        if (rotationCw == 90) {
            for (int x = 0; x < target.width; ++x) row[x] = src[size_t(h - 1 - x) * w + y];
        } else if (rotationCw == 180) {
            const uint32_t* s = src + size_t(h - 1 - y) * w;
            for (int x = 0; x < target.width; ++x) row[x] = s[w - 1 - x];
        } else {
            for (int x = 0; x < target.width; ++x) row[x] = src[size_t(x) * w + (w - 1 - y)];
        }
    }
    return true;
}
