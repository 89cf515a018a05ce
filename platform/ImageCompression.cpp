#include "ImageCompression.h"

#include "Memory.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>

JPEGSettings JPEGSettingsForCodecQuality(CodecQ quality) {
    if (quality >= codecLosslessQuality) return {100, true};
    if (quality >= codecMaxQuality) return {95, true};
    if (quality >= codecHighQuality) return {90, true};
    if (quality >= codecNormalQuality) return {75, false};
    if (quality >= codecLowQuality) return {50, false};
    return {25, false};
}

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    OSErr result;
};

struct Destination {
    jpeg_destination_mgr pub;
    JOCTET* buffer;
    size_t size;
    ICMFlushProcRecordPtr flush;
    long total;
};

[[noreturn]] void fail(j_common_ptr cinfo, OSErr result) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    err->result = result;
    std::longjmp(err->jump, 1);
}

void onError(j_common_ptr cinfo) {
    fail(cinfo, codecErr);
}
void onMessage(j_common_ptr) {} // the library stays silent

void initDestination(j_compress_ptr cinfo) {
    auto* d = reinterpret_cast<Destination*>(cinfo->dest);
    d->pub.next_output_byte = d->buffer;
    d->pub.free_in_buffer = d->size;
}

void hand(j_compress_ptr cinfo, Destination* d, size_t count) {
    if (count == 0) return;
    OSErr r =
        d->flush->flushProc(reinterpret_cast<Ptr>(d->buffer), long(count), d->flush->flushRefCon);
    if (r != noErr) fail(reinterpret_cast<j_common_ptr>(cinfo), r);
    d->total += long(count);
}

boolean emptyBuffer(j_compress_ptr cinfo) {
    auto* d = reinterpret_cast<Destination*>(cinfo->dest);
    // Without a flush procedure everything has to fit the caller's buffer.
    if (!d->flush) fail(reinterpret_cast<j_common_ptr>(cinfo), codecSpoolErr);
    hand(cinfo, d, d->size); // libjpeg asks only when the buffer is full
    d->pub.next_output_byte = d->buffer;
    d->pub.free_in_buffer = d->size;
    return TRUE;
}

void termDestination(j_compress_ptr cinfo) {
    auto* d = reinterpret_cast<Destination*>(cinfo->dest);
    size_t used = d->size - d->pub.free_in_buffer;
    if (d->flush)
        hand(cinfo, d, used);
    else
        d->total = long(used);
}

// Runs the compression proper; only trivially destructible objects live
// between the setjmp and any longjmp back to it.
OSErr compress(const PixMap& pm, int left, int top, int width, int height, JPEGSettings settings,
               Destination* dest, JSAMPROW* rows) {
    jpeg_compress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = onError;
    err.pub.output_message = onMessage;
    err.result = noErr;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        return err.result;
    }
    jpeg_create_compress(&cinfo);
    dest->pub.init_destination = initDestination;
    dest->pub.empty_output_buffer = emptyBuffer;
    dest->pub.term_destination = termDestination;
    cinfo.dest = &dest->pub;

    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = 4;
    cinfo.in_color_space = pm.pixelFormat == k32RGBAPixelFormat ? JCS_EXT_RGBA : JCS_EXT_ARGB;
    jpeg_set_defaults(&cinfo);
    if (settings.quality >= 100) {
        // Stored as RGB: without the colour conversion's rounding a flat area
        // comes back exactly.
        jpeg_set_colorspace(&cinfo, JCS_RGB);
    } else if (settings.fullChroma) {
        cinfo.comp_info[0].h_samp_factor = 1;
        cinfo.comp_info[0].v_samp_factor = 1;
    }
    jpeg_set_quality(&cinfo, settings.quality, TRUE);
    cinfo.dct_method = JDCT_ISLOW;

    auto* base = reinterpret_cast<JSAMPLE*>(pm.baseAddr);
    for (int y = 0; y < height; ++y)
        rows[y] = base + size_t(top + y) * size_t(pm.rowBytes) + size_t(left) * 4;

    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height)
        jpeg_write_scanlines(&cinfo, rows + cinfo.next_scanline,
                             cinfo.image_height - cinfo.next_scanline);
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return noErr;
}

} // namespace

OSErr FCompressImage(PixMapHandle src, const Rect* srcRect, int16_t, CodecQ quality,
                     CodecType cType, CompressorComponent, CTabHandle, CodecFlags, long bufferSize,
                     ICMFlushProcRecordPtr flushProc, ICMProgressProcRecordPtr,
                     ImageDescriptionHandle desc, Ptr data) {
    if (!src || !*src || !srcRect || !desc || !data || bufferSize <= 0) return paramErr;
    if (flushProc && !flushProc->flushProc) return paramErr;
    if (cType != kJPEGCodecType) return codecUnimpErr;
    const PixMap& pm = **src;
    if (pm.pixelSize != 32 || !pm.baseAddr ||
        (pm.pixelFormat != k32ARGBPixelFormat && pm.pixelFormat != k32RGBAPixelFormat))
        return paramErr;
    const Rect& b = pm.bounds;
    if (srcRect->left < b.left || srcRect->top < b.top || srcRect->right > b.right ||
        srcRect->bottom > b.bottom)
        return paramErr;
    int width = srcRect->right - srcRect->left;
    int height = srcRect->bottom - srcRect->top;
    if (width <= 0 || height <= 0) return codecSizeErr;
    if (pm.rowBytes < (b.right - b.left) * 4) return paramErr;

    Handle h = reinterpret_cast<Handle>(desc);
    if (GetHandleSize(h) < long(sizeof(ImageDescription))) {
        SetHandleSize(h, sizeof(ImageDescription));
        if (MemError() != noErr) return MemError();
    }

    std::vector<JSAMPROW> rows(static_cast<size_t>(height));
    Destination dest{};
    dest.buffer = reinterpret_cast<JOCTET*>(data);
    dest.size = size_t(bufferSize);
    dest.flush = flushProc;
    JPEGSettings settings = JPEGSettingsForCodecQuality(quality);
    OSErr result = compress(pm, srcRect->left - b.left, srcRect->top - b.top, width, height,
                            settings, &dest, rows.data());
    if (result != noErr) return result;

    ImageDescription& d = **desc;
    std::memset(&d, 0, sizeof d);
    d.idSize = sizeof(ImageDescription);
    d.cType = kJPEGCodecType;
    d.version = 1;
    d.revisionLevel = 1;
    d.spatialQuality = quality;
    d.width = int16_t(width);
    d.height = int16_t(height);
    d.hRes = 72 << 16;
    d.vRes = 72 << 16;
    d.dataSize = int32_t(dest.total);
    d.frameCount = 1;
    static constexpr char name[] = "JPEG";
    d.name[0] = sizeof name - 1;
    std::memcpy(d.name + 1, name, sizeof name - 1);
    d.depth = 24;
    d.clutID = -1;
    return noErr;
}
