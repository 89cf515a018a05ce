#include "gworldToNSImage.h"

#include "SICommon.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

// One row of A,R,G,B pixels as R,G,B,A: a byte rotation of each 32-bit word.
void argbrowtorgba(const unsigned char* src, unsigned char* dst, std::size_t width) {
    for (std::size_t x = 0; x < width; ++x) {
        std::uint32_t v;
        std::memcpy(&v, src + 4 * x, 4);
        if constexpr (std::endian::native == std::endian::little)
            v = (v >> 8) | (v << 24); // A is the low byte; it moves to the top
        else
            v = (v << 8) | (v >> 24); // A is the high byte; it moves to the bottom
        std::memcpy(dst + 4 * x, &v, 4);
    }
}

} // namespace

NSImage* gworldToNSImage(GWorldPtr world) {
    if (!world) return nullptr;
    PixMapHandle pm = GetGWorldPixMap(world);
    if (!pm || !*pm) return nullptr;
    // Locked while read and unlocked on every way out, so the world's lock
    // state is the same afterwards.
    LockPixels(pm);

    Rect bounds;
    GetPortBounds(world, &bounds);
    const long w = long(bounds.right) - bounds.left;
    const long h = long(bounds.bottom) - bounds.top;
    NSImage* image = nullptr;
    const unsigned char* src = reinterpret_cast<const unsigned char*>(GetPixBaseAddr(pm));
    NSBitmapImageRep* rep = nullptr;
    if (w >= 0 && h >= 0 && src) {
        const std::size_t width = std::size_t(w), height = std::size_t(h);
        const long dstRow = w * 4;
        rep = NSBitmapImageRep::initWithBitmapDataPlanes(nullptr, w, h, 8, 4, true, false,
                                                         NSDeviceRGBColorSpace, dstRow, 0);
        if (rep) {
            unsigned char* dst = rep->bitmapData();
            const long srcRow = GetPixRowBytes(pm);
            if ((*pm)->pixelFormat == k32RGBAPixelFormat) {
                for (std::size_t y = 0; y < height; ++y)
                    std::memcpy(dst + y * std::size_t(dstRow), src + long(y) * srcRow, width * 4);
                siprintf("gworldToNSImage k32RGBAPixelFormat\n");
            } else {
                for (std::size_t y = 0; y < height; ++y)
                    argbrowtorgba(src + long(y) * srcRow, dst + y * std::size_t(dstRow), width);
            }
            image = NSImage::initWithSize(NSSize{double(w), double(h)});
            if (image) image->addRepresentation(rep);
            rep->release();
        }
    }
    UnlockPixels(pm);
    return image;
}
