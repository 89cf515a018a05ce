#include "PlatformImageQt.h"

#include <cstring>

namespace {
// A deep copy of caller memory in a QImage of the same byte layout.
QImage copyOf(const unsigned char* data, size_t width, size_t height, size_t bytesPerRow,
              QImage::Format format) {
    QImage view(data, int(width), int(height), qsizetype(bytesPerRow), format);
    return view.copy();
}
} // namespace

QImage QImageFromNSImage(const NSImage* image) {
    if (!image || image->representations().empty()) return {};
    const NSBitmapImageRep* rep = image->representations().front();
    return copyOf(rep->bitmapData(), size_t(rep->pixelsWide()), size_t(rep->pixelsHigh()),
                  size_t(rep->bytesPerRow()),
                  rep->hasAlpha() ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
}

QImage QImageFromCGImage(CGImageRef image) {
    if (!image) return {};
    const auto* data =
        static_cast<const unsigned char*>(CGDataProviderGetBytePtr(CGImageGetDataProvider(image)));
    const size_t w = CGImageGetWidth(image), h = CGImageGetHeight(image);
    const size_t bpl = CGImageGetBytesPerRow(image);
    if (!data || w > size_t(INT32_MAX) || h > size_t(INT32_MAX)) return {};
    if (CGColorSpaceGetModel(CGImageGetColorSpace(image)) == kCGColorSpaceModelMonochrome)
        return copyOf(data, w, h, bpl, QImage::Format_Grayscale8);

    switch (CGImageGetAlphaInfo(image)) {
    case kCGImageAlphaNone:
        return copyOf(data, w, h, bpl, QImage::Format_RGB888);
    case kCGImageAlphaLast:
        return copyOf(data, w, h, bpl, QImage::Format_RGBA8888);
    case kCGImageAlphaPremultipliedLast:
        return copyOf(data, w, h, bpl, QImage::Format_RGBA8888_Premultiplied);
    case kCGImageAlphaNoneSkipLast: {
        QImage out = copyOf(data, w, h, bpl, QImage::Format_RGBX8888);
        for (int y = 0; y < out.height(); ++y) {
            uchar* row = out.scanLine(y);
            for (size_t x = 0; x < w; ++x) row[4 * x + 3] = 0xFF; // the format wants 255 there
        }
        return out;
    }
    case kCGImageAlphaFirst:
    case kCGImageAlphaPremultipliedFirst:
    case kCGImageAlphaNoneSkipFirst: {
        // Bytes A,R,G,B become the native 0xAARRGGBB words of Qt's 32-bit formats.
        const CGImageAlphaInfo alpha = CGImageGetAlphaInfo(image);
        const bool skip = alpha == kCGImageAlphaNoneSkipFirst;
        QImage out(int(w), int(h),
                   skip                          ? QImage::Format_RGB32
                   : alpha == kCGImageAlphaFirst ? QImage::Format_ARGB32
                                                 : QImage::Format_ARGB32_Premultiplied);
        if (out.isNull()) return {};
        for (size_t y = 0; y < h; ++y) {
            const unsigned char* s = data + y * bpl;
            auto* d = reinterpret_cast<uint32_t*>(out.scanLine(int(y)));
            for (size_t x = 0; x < w; ++x, s += 4) {
                const uint32_t a = skip ? 0xFFu : s[0];
                d[x] = (a << 24) | (uint32_t(s[1]) << 16) | (uint32_t(s[2]) << 8) | s[3];
            }
        }
        return out;
    }
    default:
        return {};
    }
}
